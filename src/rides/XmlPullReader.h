#pragma once
// XML read element by element, as QXmlStreamReader reads it, but parsed by
// expat: a GPS track is hundreds of thousands of small elements, and expat
// reads them in a fifth of the time. Names are local names (a prefix left
// out, its namespace not asked for), texts UTF-8 whatever the document's
// encoding. Expat loads no
// external entity and bounds the growth of internal ones.

#include <QByteArray>
#include <QByteArrayView>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct XML_ParserStruct;

class XmlPullReader {
public:
    enum class Token { StartElement, EndElement, Characters, EndDocument, Invalid };

    // The document must outlive the reader.
    explicit XmlPullReader(QByteArrayView document);
    ~XmlPullReader();
    XmlPullReader(const XmlPullReader&) = delete;
    XmlPullReader& operator=(const XmlPullReader&) = delete;

    Token ReadNext();
    // The document's end is reached, or it is not well-formed.
    bool AtEnd() const { return m_token == Token::EndDocument || m_token == Token::Invalid; }
    bool HasError() const { return m_token == Token::Invalid; }
    // The line where reading stopped on an error, from 1.
    int ErrorLine() const { return m_errorLine; }

    // The element the reader stands on (start or end tag).
    std::string_view Name() const;
    // An attribute of the start tag the reader stands on, by its local name.
    std::optional<std::string_view> Attribute(std::string_view name) const;

    // Standing on a start tag: its text, child elements and their text left
    // out; the reader is left on its end tag. Valid until the next call.
    std::string_view ElementText();
    // Reads on to the next start tag inside the current element: false at
    // the element's end tag (or the document's end).
    bool ReadNextStartElement();
    // Standing on a start tag: reads on to its end tag.
    void SkipCurrentElement();

private:
    struct Span {
        size_t offset = 0;
        size_t size = 0;
    };
    struct Event {
        Token token = Token::EndDocument;
        Span name;  // or the text, for characters
        size_t firstAttribute = 0;
        size_t attributes = 0;
    };

    void Start(const char* encoding);
    bool DecodeWhole();
    bool Refill();
    std::string_view View(Span span) const { return {m_pool.data() + span.offset, span.size}; }
    Span Keep(const char* text, size_t size);
    Span KeepLocalName(const char* name);

    static void OnStart(void* self, const char* name, const char** attributes);
    static void OnEnd(void* self, const char* name);
    static void OnText(void* self, const char* text, int size);
    static int OnUnknownEncoding(void* self, const char* name, void* info);  // an XML_Encoding

    XML_ParserStruct* m_parser = nullptr;
    QByteArrayView m_document;
    QByteArray m_decodeWhole;  // the encoding expat cannot read piece by piece
    QByteArray m_decoded;      // the document in UTF-8, then
    qsizetype m_fed = 0;
    bool m_failed = false;  // expat stopped; the events before it are still read
    int m_errorLine = 0;

    // The events of the last piece of the document parsed, and their names,
    // texts and attributes, read one by one.
    std::string m_pool;
    std::vector<Event> m_events;
    std::vector<std::pair<Span, Span>> m_attributes;
    size_t m_next = 0;
    Token m_token = Token::Characters;
    Event m_current;
    std::string m_text;
};
