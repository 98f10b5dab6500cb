// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Feeds any bytes to the rating server's submission reader as a request
// body, and checks what it accepts against the server's rules and that the
// reply to anything it turns down is a document the game can read.
#include "rating/reply.h"
#include "rating/submission.h"

#include "fuzzcheck.h"

#include <QXmlStreamReader>

#include <cstdint>

namespace {

bool well_formed(const QByteArray &document)
{
    QXmlStreamReader reader(document);
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(data), int(size));
    const ParsedSubmission parsed = parse_submission(body);
    if (!parsed.submission) {
        const Reply reply = rejected_reply(parsed.rejection);
        check(reply.status >= 400 && reply.status < 500, "a rejection without a 4xx status");
        check(!reply.message.isEmpty(), "a rejection without a message");
        check(well_formed(reply_document(reply)), "a rejection's reply is not well-formed");
        return 0;
    }
    const Submission &submission = *parsed.submission;
    check(body.startsWith("xml="), "accepted without the xml= prefix");
    check(!submission.name.isEmpty(), "accepted an empty name");
    check(submission.name.size() <= 2 * text_length_limit &&
              submission.location.size() <= 2 * text_length_limit,
          "accepted an overlong name or location");
    check(submission.value > 0 && submission.value <= value_limit, "accepted a value out of range");
    check(submission.name == display_text(submission.name) &&
              submission.location == display_text(submission.location),
          "a name or location keeps what is never shown");
    check(submission.name_key == identity_key(submission.name) &&
              submission.location_key == identity_key(submission.location),
          "keys that do not belong to the name and location");
    Standing standing;
    standing.rating = submission.rating;
    standing.best = submission.value;
    standing.world_place = 1;
    standing.local_place = submission.location.isEmpty() ? 0 : 1;
    standing.player_id = 1;
    check(well_formed(reply_document(accepted_reply(standing, QStringLiteral("http://x/")))),
          "an accepted reply is not well-formed");
    return 0;
}
