#include "rides/XmlPullReader.h"

#include <expat.h>
#include <QStringDecoder>
#include <algorithm>
#include <cstring>

namespace {

// How much of the document expat parses at once: its events wait in a
// buffer of about this size until they are read.
constexpr qsizetype kPieceBytes = 64 * 1024;

}  // namespace

// Expat reads UTF-8, UTF-16, ISO-8859-1 and US-ASCII itself; any other
// encoding of one byte a character (windows-1252 and its kin, which some
// programs still write) is decoded by Qt, a byte at a time. A document in
// an encoding of several bytes a character (Shift_JIS, GBK) is decoded
// whole by Qt and read again.
int XmlPullReader::OnUnknownEncoding(void* self, const char* name, void* encoding) {
    auto* info = static_cast<XML_Encoding*>(encoding);
    QStringDecoder decoder(name);
    if (!decoder.isValid()) {
        return XML_STATUS_ERROR;
    }
    for (int byte = 0; byte < 256; ++byte) {
        const char one = static_cast<char>(byte);
        decoder.resetState();
        const QString decoded = decoder.decode(QByteArrayView(&one, 1));
        if (decoded.size() != 1 || decoded.front().isSurrogate()) {
            // A byte that begins a longer sequence: not an encoding of one byte.
            if (decoded.isEmpty()) {
                static_cast<XmlPullReader*>(self)->m_decodeWhole = name;
                return XML_STATUS_ERROR;
            }
            info->map[byte] = -1;
            continue;
        }
        const char16_t unit = decoded.front().unicode();
        info->map[byte] = unit == QChar::ReplacementCharacter && byte >= 0x80 ? -1 : unit;
    }
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

XmlPullReader::XmlPullReader(QByteArrayView document) : m_document(document) {
    m_events.reserve(4096);
    m_pool.reserve(kPieceBytes * 2);
    Start(nullptr);
}

void XmlPullReader::Start(const char* encoding) {
    if (m_parser != nullptr) {
        XML_ParserFree(m_parser);
    }
    m_parser = XML_ParserCreate(encoding);
    if (m_parser == nullptr) {
        m_failed = true;
        return;
    }
    XML_SetUserData(m_parser, this);
    XML_SetElementHandler(m_parser, &XmlPullReader::OnStart, &XmlPullReader::OnEnd);
    XML_SetCharacterDataHandler(m_parser, &XmlPullReader::OnText);
    XML_SetUnknownEncodingHandler(
        m_parser,
        [](void* self, const XML_Char* name, XML_Encoding* info) {
            return OnUnknownEncoding(self, name, info);
        },
        this);
}

bool XmlPullReader::DecodeWhole() {
    QStringDecoder decoder(m_decodeWhole.constData());
    const QString text = decoder.decode(m_document);
    if (decoder.hasError()) {
        return false;
    }
    m_decoded = text.toUtf8();
    m_document = m_decoded;
    m_fed = 0;
    m_failed = false;
    m_events.clear();
    m_attributes.clear();
    m_pool.clear();
    // The encoding given here overrides the one the document declares.
    Start("UTF-8");
    return !m_failed;
}

XmlPullReader::~XmlPullReader() {
    if (m_parser != nullptr) {
        XML_ParserFree(m_parser);
    }
}

XmlPullReader::Span XmlPullReader::Keep(const char* text, size_t size) {
    const Span span{m_pool.size(), size};
    m_pool.append(text, size);
    return span;
}

XmlPullReader::Span XmlPullReader::KeepLocalName(const char* name) {
    // Nothing here asks which namespace a name is in: its prefix goes.
    const size_t size = std::strlen(name);
    const char* colon = static_cast<const char*>(std::memchr(name, ':', size));
    return colon != nullptr ? Keep(colon + 1, size - static_cast<size_t>(colon + 1 - name))
                            : Keep(name, size);
}

void XmlPullReader::OnStart(void* self, const char* name, const char** attributes) {
    auto* reader = static_cast<XmlPullReader*>(self);
    Event event;
    event.token = Token::StartElement;
    event.name = reader->KeepLocalName(name);
    event.firstAttribute = reader->m_attributes.size();
    for (const char** attribute = attributes; *attribute != nullptr; attribute += 2) {
        const Span attributeName = reader->KeepLocalName(attribute[0]);
        reader->m_attributes.emplace_back(attributeName,
                                          reader->Keep(attribute[1], std::strlen(attribute[1])));
    }
    event.attributes = reader->m_attributes.size() - event.firstAttribute;
    reader->m_events.push_back(event);
}

void XmlPullReader::OnEnd(void* self, const char* name) {
    auto* reader = static_cast<XmlPullReader*>(self);
    Event event;
    event.token = Token::EndElement;
    event.name = reader->KeepLocalName(name);
    reader->m_events.push_back(event);
}

void XmlPullReader::OnText(void* self, const char* text, int size) {
    auto* reader = static_cast<XmlPullReader*>(self);
    const auto length = static_cast<size_t>(size);
    // Expat splits a text at line ends and entities; the pieces lie one
    // after the other in the pool and become one.
    if (!reader->m_events.empty() && reader->m_events.back().token == Token::Characters &&
        reader->m_events.back().name.offset + reader->m_events.back().name.size == reader->m_pool.size()) {
        reader->m_pool.append(text, length);
        reader->m_events.back().name.size += length;
        return;
    }
    Event event;
    event.token = Token::Characters;
    event.name = reader->Keep(text, length);
    reader->m_events.push_back(event);
}

bool XmlPullReader::Refill() {
    m_events.clear();
    m_attributes.clear();
    m_pool.clear();
    m_next = 0;
    while (m_events.empty() && !m_failed && m_fed < m_document.size()) {
        const qsizetype piece = std::min(kPieceBytes, m_document.size() - m_fed);
        const bool last = m_fed + piece == m_document.size();
        const XML_Status status = XML_Parse(m_parser, m_document.data() + m_fed, static_cast<int>(piece),
                                            last ? XML_TRUE : XML_FALSE);
        m_fed += piece;
        if (status != XML_STATUS_OK) {
            m_failed = true;
            m_errorLine = static_cast<int>(XML_GetCurrentLineNumber(m_parser));
            // The declaration comes first: nothing was read before it.
            if (!m_decodeWhole.isEmpty() && m_decoded.isNull() && DecodeWhole()) {
                continue;
            }
        }
    }
    // An empty document is no document.
    if (m_document.isEmpty() && !m_failed) {
        m_failed = true;
        m_errorLine = 1;
    }
    return !m_events.empty();
}

XmlPullReader::Token XmlPullReader::ReadNext() {
    if (AtEnd()) {
        return m_token;
    }
    if (m_next == m_events.size() && !Refill()) {
        m_token = m_failed ? Token::Invalid : Token::EndDocument;
        return m_token;
    }
    m_current = m_events[m_next++];
    m_token = m_current.token;
    return m_token;
}

std::string_view XmlPullReader::Name() const {
    return m_token == Token::StartElement || m_token == Token::EndElement ? View(m_current.name)
                                                                          : std::string_view();
}

std::optional<std::string_view> XmlPullReader::Attribute(std::string_view name) const {
    if (m_token != Token::StartElement) {
        return std::nullopt;
    }
    for (size_t i = m_current.firstAttribute; i < m_current.firstAttribute + m_current.attributes; ++i) {
        if (View(m_attributes[i].first) == name) {
            return View(m_attributes[i].second);
        }
    }
    return std::nullopt;
}

std::string_view XmlPullReader::ElementText() {
    m_text.clear();
    if (m_token != Token::StartElement) {
        return m_text;
    }
    int depth = 0;
    while (!AtEnd()) {
        switch (ReadNext()) {
            case Token::Characters:
                if (depth == 0) {
                    m_text += View(m_current.name);
                }
                break;
            case Token::StartElement:
                ++depth;
                break;
            case Token::EndElement:
                if (depth-- == 0) {
                    return m_text;
                }
                break;
            default:
                break;
        }
    }
    return m_text;
}

bool XmlPullReader::ReadNextStartElement() {
    while (!AtEnd()) {
        const Token token = ReadNext();
        if (token == Token::StartElement) {
            return true;
        }
        if (token == Token::EndElement) {
            return false;
        }
    }
    return false;
}

void XmlPullReader::SkipCurrentElement() {
    int depth = 1;
    while (depth > 0 && !AtEnd()) {
        const Token token = ReadNext();
        if (token == Token::StartElement) {
            ++depth;
        } else if (token == Token::EndElement) {
            --depth;
        }
    }
}
