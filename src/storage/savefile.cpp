// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "storage/savefile.h"

#include "constants.h"
#include "game/gamestate.h"
#include "game/recordkey.h"
#include "game/scores.h"

#include <QDir>
#include <QIODevice>
#include <QSaveFile>
#include <QStandardPaths>
#include <QXmlStreamReader>

namespace {

// Limits on reading. The game never writes anything near them (names come from a
// line edit, messages from replies of at most 64 KiB); they keep a damaged or
// hostile file from costing more than a few megabytes or a moment, whatever its size.
constexpr qint64 read_chunk_bytes = 64 * 1024;
// Input that yields no token: one text, comment or tag this long ends the reading.
constexpr qint64 token_byte_limit = 1024 * 1024;
// From a "<" to its ">", quoted attribute values included. A longer tag could
// carry so many attributes that the XML reader, which compares each with all
// the others, would seem to hang.
constexpr qint64 markup_byte_limit = 4096;
// Attributes of one tag; the game writes none.
constexpr int attribute_limit = 32;
// The text gathered for one element.
constexpr int element_text_limit = 1024 * 1024;
constexpr int nesting_limit = 256;

// True for the characters that XML 1.0 allows in a document, surrogates aside.
bool is_xml_char(char16_t c)
{
    if (c < 0x20)
        return c == u'\t' || c == u'\n' || c == u'\r';
    return c != 0xFFFE && c != 0xFFFF;
}

// The characters as they stand, except what XML forbids or requires escaped: "&",
// "<" and the ">" of "]]>". Characters XML does not allow at all are left out, so
// that the file stays readable and the record key with it.
QString xml_text(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isSurrogate()) {
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                out += c;
                out += text.at(++i);
            }
            continue;
        }
        if (!is_xml_char(c.unicode()))
            continue;
        if (c == u'&')
            out += QLatin1String("&amp;");
        else if (c == u'<')
            out += QLatin1String("&lt;");
        else if (c == u'>' && out.endsWith(QLatin1String("]]")))
            out += QLatin1String("&gt;");
        else
            out += c;
    }
    return out;
}

void add_element(QString &document, QLatin1String name, const QString &content)
{
    document += QLatin1Char('<') + name + QLatin1Char('>') + content + QLatin1String("</") + name +
                QLatin1Char('>');
}

// QString::toInt skips white space around the digits and gives 0 for anything
// that is not a decimal 32-bit number.
int to_integer(const QString &text)
{
    return text.toInt(nullptr, 10);
}

// Follows the raw bytes from markup to markup, so that a tag's length and its
// attributes are counted before the XML reader sees them. Inside a tag a ">"
// within a quoted attribute value does not end the tag. Comments, processing
// instructions and declarations ("<!", "<?") end at their first ">": they hold
// no attributes, and the token limit bounds them anyway.
class MarkupGuard
{
public:
    // False once the byte passes a limit: the input must end before it.
    bool accept(char c);

private:
    enum class At { Text, TagOpen, Tag, Quoted, Other };

    At at = At::Text;
    char quote = 0;
    qint64 length = 0;
    int attributes = 0;
};

bool MarkupGuard::accept(char c)
{
    switch (at) {
    case At::Text:
        if (c == '<') {
            at = At::TagOpen;
            length = 0;
            attributes = 0;
        }
        return true;
    case At::TagOpen:
        at = (c == '!' || c == '?') ? At::Other : At::Tag;
        if (c == '>')
            at = At::Text;
        break;
    case At::Tag:
        if (c == '>') {
            at = At::Text;
        } else if (c == '"' || c == '\'') {
            at = At::Quoted;
            quote = c;
            if (++attributes > attribute_limit)
                return false;
        }
        break;
    case At::Quoted:
        if (c == quote)
            at = At::Tag;
        break;
    case At::Other:
        if (c == '>')
            at = At::Text;
        break;
    }
    return ++length <= markup_byte_limit;
}

// Reads a document chunk by chunk, so that no more of the file is held than the
// token being read, and ends the reading like an XML error when a limit is passed.
class SaveReader
{
public:
    explicit SaveReader(QIODevice *device) : device(device) {}

    // The next token; Invalid after the end of the input or the first error.
    QXmlStreamReader::TokenType read_next();
    // The text of the element just started, up to its end tag or the first error.
    QString read_element_text();
    QStringRef name() const { return xml.name(); }

private:
    bool feed();

    QIODevice *device;
    QXmlStreamReader xml;
    bool input_ended = false;
    bool stopped = false;
    qint64 fed_since_token = 0;
    MarkupGuard markup;
    int depth = 0;
};

bool SaveReader::feed()
{
    if (input_ended || fed_since_token > token_byte_limit)
        return false;
    QByteArray chunk = device->read(read_chunk_bytes);
    if (chunk.isEmpty()) {
        input_ended = true;
        return false;
    }
    for (int i = 0; i < chunk.size(); ++i) {
        if (!markup.accept(chunk.at(i))) {
            chunk.truncate(i);
            input_ended = true;
            break;
        }
    }
    fed_since_token += chunk.size();
    xml.addData(chunk);
    return true;
}

QXmlStreamReader::TokenType SaveReader::read_next()
{
    while (!stopped) {
        const QXmlStreamReader::TokenType type = xml.readNext();
        if (type == QXmlStreamReader::Invalid) {
            if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && feed())
                continue;
            break;
        }
        fed_since_token = 0;
        if (type == QXmlStreamReader::DTD) {
            // The game never writes one, and its entities could turn a few bytes
            // of file into megabytes of text.
            break;
        }
        if (type == QXmlStreamReader::StartElement && ++depth > nesting_limit)
            break;
        if (type == QXmlStreamReader::EndElement)
            --depth;
        return type;
    }
    stopped = true;
    return QXmlStreamReader::Invalid;
}

QString SaveReader::read_element_text()
{
    QString text;
    for (;;) {
        switch (read_next()) {
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            text += xml.text();
            if (text.size() > element_text_limit) {
                stopped = true;
                return text;
            }
            break;
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            break;
        case QXmlStreamReader::EndElement:
            return text;
        default:
            // An element where text belongs is an error like any other.
            stopped = true;
            return text;
        }
    }
}

} // namespace

QString save_file_path()
{
    static const QString path = [] {
        QString folder = QString::fromUtf8(quiverbolt::documents_dir);
        if (folder.isEmpty())
            folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return QDir(folder).filePath(QString::fromLatin1(quiverbolt::save_file_name));
    }();
    return path;
}

QByteArray save_document(const GameState &state)
{
    QString document = QStringLiteral("<quiverbolt_data>");
    add_element(document, QLatin1String("name"), xml_text(state.name));
    add_element(document, QLatin1String("location"), xml_text(state.location));
    add_element(document, QLatin1String("sex"), xml_text(state.sex));
    add_element(document, QLatin1String("tosend"), QString::number(state.tosend));
    add_element(document, QLatin1String("current_top"), QString::number(state.current_top));
    add_element(document, QLatin1String("your_top"), QString::number(state.your_top));
    add_element(document, QLatin1String("local_top"), QString::number(state.local_top));
    add_element(document, QLatin1String("world_top"), QString::number(state.world_top));
    add_element(document, QLatin1String("alt"), QString::number(double(state.alt), 'g', 6));
    add_element(document, QLatin1String("key"), xml_text(state.key));
    add_element(document, QLatin1String("num"), QString::number(state.num));
    add_element(document, QLatin1String("platf"), QStringLiteral("1"));
    add_element(document, QLatin1String("ver"), QStringLiteral("1.1"));
    add_element(document, QLatin1String("message"), xml_text(state.message));
    add_element(document, QLatin1String("hiperlink"), xml_text(state.hiperlink));
    add_element(document, QLatin1String("fsize"), QString::number(state.fsize));
    add_element(document, QLatin1String("sec"), QString::number(static_cast<int>(state.sec)));
    document += QLatin1String("</quiverbolt_data>");
    return document.toUtf8();
}

QByteArray first_run_document()
{
    // The default save file, byte for byte: the letter "l" in tosend and the bare
    // "-" places are part of it, and the loader reads all three as 0.
    return QByteArrayLiteral(
        "<quiverbolt_data><name></name><location></location><sex>m</sex><tosend>l</tosend>"
        "<current_top>0</current_top><your_top>0</your_top><local_top>-</local_top>"
        "<world_top>-</world_top><alt>0</alt><key></key><num>0</num><platf>1</platf>"
        "<ver>1</ver><message></message><hiperlink></hiperlink><fsize>18</fsize><sec>0</sec>"
        "</quiverbolt_data>");
}

bool write_save_file(const QString &path, const QByteArray &document)
{
    // The new document goes to a temporary file beside the old one and replaces it
    // by a rename, so a failed or interrupted save leaves the old document whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile keeps a small document in its buffer and commits even when writing
    // the buffer out fails (a full disk), so the flush is checked here. Leaving
    // without commit discards the temporary file.
    if (file.write(document) != document.size() || !file.flush())
        return false;
    return file.commit();
}

LoadedSave read_save(QIODevice *device, GameState &state)
{
    LoadedSave loaded;
    SaveReader reader(device);
    for (;;) {
        const QXmlStreamReader::TokenType type = reader.read_next();
        if (type == QXmlStreamReader::Invalid || type == QXmlStreamReader::EndDocument)
            break;
        if (type != QXmlStreamReader::StartElement)
            continue;
        // Names count wherever they stand; a later one overrides an earlier one.
        const QStringRef name = reader.name();
        if (name == QLatin1String("name")) {
            state.name = reader.read_element_text();
        } else if (name == QLatin1String("location")) {
            state.location = reader.read_element_text();
        } else if (name == QLatin1String("tosend")) {
            state.tosend = to_integer(reader.read_element_text());
        } else if (name == QLatin1String("sex")) {
            state.sex = reader.read_element_text();
        } else if (name == QLatin1String("your_top")) {
            loaded.record_text = reader.read_element_text();
            state.your_top = to_integer(loaded.record_text);
        } else if (name == QLatin1String("current_top")) {
            loaded.score_text = reader.read_element_text();
            state.current_top = to_integer(loaded.score_text);
        } else if (name == QLatin1String("key")) {
            state.key = reader.read_element_text();
        } else if (name == QLatin1String("local_top")) {
            const QString text = reader.read_element_text();
            state.local_top = to_integer(text);
            loaded.local_top_text = state.local_top < 0 ? QStringLiteral("-") : text;
        } else if (name == QLatin1String("world_top")) {
            const QString text = reader.read_element_text();
            state.world_top = to_integer(text);
            loaded.world_top_text = state.world_top < 0 ? QStringLiteral("-") : text;
        } else if (name == QLatin1String("message")) {
            state.message = reader.read_element_text();
        }
    }

    if (!key_is_genuine(state.key, key_text(state.your_top, state.current_top))) {
        state.your_top = 0;
        state.current_top = 0;
        loaded.record_text = QStringLiteral("-");
        loaded.score_text = QStringLiteral("-");
        loaded.key_rejected = true;
    }
    if (state.your_top < 0)
        loaded.record_text = QStringLiteral("-");
    if (state.current_top < 0)
        loaded.score_text = QStringLiteral("-");
    return loaded;
}
