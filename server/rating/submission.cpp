// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "rating/submission.h"

#include "game/gamestate.h"
#include "storage/savefile.h"

#include <QBuffer>

#include <limits>

namespace {

// Start values that no document can produce: U+FFFF is not allowed in XML,
// and the loader stops at it, so a field that still holds it was missing.
const QString missing_text = QString(QChar(0xFFFF));
constexpr int missing_number = std::numeric_limits<int>::min();

bool is_xml_char(char32_t c)
{
    if (c < 0x20)
        return c == U'\t' || c == U'\n' || c == U'\r';
    if (c >= 0xD800 && c <= 0xDFFF)
        return false;
    return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

int character_count(const QString &text)
{
    return text.toUcs4().size();
}

ParsedSubmission rejected(Rejection why)
{
    ParsedSubmission parsed;
    parsed.rejection = why;
    return parsed;
}

} // namespace

QString rating_letter(Rating rating)
{
    return rating == Rating::women ? QStringLiteral("w") : QStringLiteral("m");
}

QString display_text(const QString &text)
{
    QString allowed;
    allowed.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            allowed += c;
            allowed += text.at(++i);
        } else if (!c.isSurrogate() && is_xml_char(c.unicode())) {
            allowed += c;
        }
    }
    return allowed.simplified();
}

QString identity_key(const QString &text)
{
    return display_text(text).normalized(QString::NormalizationForm_C).toCaseFolded();
}

ParsedSubmission parse_submission(const QByteArray &body)
{
    static const QByteArray prefix = QByteArrayLiteral("xml=");
    if (!body.startsWith(prefix))
        return rejected(Rejection::unreadable);

    QByteArray document = body.mid(prefix.size());
    QBuffer device(&document);
    device.open(QIODevice::ReadOnly);

    GameState state;
    state.name = missing_text;
    state.location = missing_text;
    state.sex = missing_text;
    state.key = missing_text;
    state.tosend = missing_number;
    // The loader that the game checks its own file with: it reads the same
    // elements and zeroes both tops when the record key does not match them.
    const LoadedSave loaded = read_save(&device, state);

    if (state.name == missing_text || state.location == missing_text || state.sex == missing_text ||
        state.key == missing_text || state.tosend == missing_number)
        return rejected(Rejection::incomplete);
    if (state.sex != QLatin1String("m") && state.sex != QLatin1String("w"))
        return rejected(Rejection::unknown_rating);
    if (state.tosend != 1 && state.tosend != 2)
        return rejected(Rejection::no_choice);

    Submission submission;
    submission.rating = state.sex == QLatin1String("w") ? Rating::women : Rating::men;
    submission.name = display_text(state.name);
    submission.location = display_text(state.location);
    if (submission.name.isEmpty())
        return rejected(Rejection::empty_name);
    if (character_count(submission.name) > text_length_limit)
        return rejected(Rejection::name_too_long);
    if (character_count(submission.location) > text_length_limit)
        return rejected(Rejection::location_too_long);

    if (loaded.key_rejected) {
        // The game keeps the key empty until the first kept score.
        return rejected(state.key.isEmpty() ? Rejection::no_score_kept : Rejection::key_mismatch);
    }
    submission.value = state.tosend == 1 ? state.your_top : state.current_top;
    if (submission.value <= 0)
        return rejected(Rejection::no_value);
    if (submission.value > value_limit)
        return rejected(Rejection::value_too_high);

    submission.name_key = identity_key(submission.name);
    submission.location_key = identity_key(submission.location);
    ParsedSubmission parsed;
    parsed.submission = submission;
    return parsed;
}
