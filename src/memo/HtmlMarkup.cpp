#include "memo/HtmlMarkup.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace {

// ---- Character references ---------------------------------------------------

// Latin-1 characters 160 to 255 by their HTML 4 names, in code order.
constexpr std::array<std::string_view, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
    "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
    "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
    "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
    "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

struct NamedCharacter {
    std::string_view name;
    char32_t code;
};
constexpr NamedCharacter kOtherNames[] = {
    {"amp", U'&'},     {"lt", U'<'},       {"gt", U'>'},       {"quot", U'"'},     {"apos", U'\''},
    {"OElig", 0x152},  {"oelig", 0x153},   {"Scaron", 0x160},  {"scaron", 0x161},  {"Yuml", 0x178},
    {"circ", 0x2C6},   {"tilde", 0x2DC},   {"ensp", 0x2002},   {"emsp", 0x2003},   {"thinsp", 0x2009},
    {"ndash", 0x2013}, {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},
    {"ldquo", 0x201C}, {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"dagger", 0x2020}, {"Dagger", 0x2021},
    {"bull", 0x2022},  {"hellip", 0x2026}, {"permil", 0x2030}, {"lsaquo", 0x2039}, {"rsaquo", 0x203A},
    {"euro", 0x20AC},  {"trade", 0x2122},
};

bool NameEquals(QStringView name, std::string_view candidate) {
    if (name.size() != static_cast<qsizetype>(candidate.size())) {
        return false;
    }
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] != QLatin1Char(candidate[static_cast<size_t>(i)])) {
            return false;
        }
    }
    return true;
}

// The character a reference body (between "&" and ";") stands for, or 0.
char32_t ResolveReference(QStringView body) {
    if (body.size() >= 2 && body[0] == u'#') {
        const bool hex = body[1] == u'x' || body[1] == u'X';
        const QStringView digits = body.mid(hex ? 2 : 1);
        if (digits.isEmpty() || digits.size() > 8) {
            return 0;
        }
        bool ok = false;
        const uint value = digits.toUInt(&ok, hex ? 16 : 10);
        // No NUL, no half surrogates, nothing past Unicode.
        if (!ok || value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return 0;
        }
        return value;
    }
    for (size_t i = 0; i < kLatin1Names.size(); ++i) {
        if (NameEquals(body, kLatin1Names[i])) {
            return static_cast<char32_t>(160 + i);
        }
    }
    for (const NamedCharacter& named : kOtherNames) {
        if (NameEquals(body, named.name)) {
            return named.code;
        }
    }
    return 0;
}

// ---- Reading markup as the view's reader does ---------------------------------

struct Token {
    enum class Kind { Text, StartTag, EndTag, Declaration };
    Kind kind = Kind::Text;
    qsizetype begin = 0;
    qsizetype end = 0;
    QString name;         // tags: lower case, references resolved
    bool closed = false;  // a start tag with a "/" before its ">"
};

bool IsReaderSpace(QChar c) {
    return c.isSpace() && c != QChar::ParagraphSeparator;
}

// Splits markup where the view's reader does. Its rules, which this follows:
// every "<" opens a tag, whatever follows it; "<!" is a comment (to "-->")
// or a declaration (to ">"); a tag name and attribute values are words:
// quoted, or running to a blank, "<", "=", ">" or "/>"; after the
// attributes everything to the next ">" belongs to the tag, and a "/" there
// closes it at once. Nothing is raw text, not even style or script content.
class Tokenizer {
public:
    explicit Tokenizer(QStringView text) : m_text(text) {}

    bool Next(Token& token) {
        const qsizetype size = m_text.size();
        if (m_pos >= size) {
            return false;
        }
        token = Token{};
        token.begin = m_pos;
        if (m_text[m_pos] != u'<') {
            const qsizetype next = m_text.indexOf(u'<', m_pos);
            m_pos = next < 0 ? size : next;
            token.kind = Token::Kind::Text;
            token.end = m_pos;
            return true;
        }
        ++m_pos;
        EatSpace();
        if (At(u'!')) {
            ++m_pos;
            if (At(u'-') && At(u'-', 1)) {
                const qsizetype close = m_text.indexOf(u"-->", m_pos + 2);
                m_pos = close < 0 ? size : close + 3;
            } else {
                SkipPastClose();
            }
            token.kind = Token::Kind::Declaration;
        } else if (At(u'/')) {
            ++m_pos;
            token.name = TagName(Word()).trimmed();
            SkipPastClose();
            token.kind = Token::Kind::EndTag;
        } else {
            token.name = TagName(Word());
            SkipAttributes();
            while (m_pos < size && m_text[m_pos] != u'>') {
                if (m_text[m_pos] == u'/') {
                    token.closed = true;
                }
                ++m_pos;
            }
            if (m_pos < size) {
                ++m_pos;
            }
            token.kind = Token::Kind::StartTag;
        }
        token.end = m_pos;
        return true;
    }

private:
    bool At(QChar c, qsizetype ahead = 0) const {
        return m_pos + ahead < m_text.size() && m_text[m_pos + ahead] == c;
    }

    void EatSpace() {
        while (m_pos < m_text.size() && IsReaderSpace(m_text[m_pos])) {
            ++m_pos;
        }
    }

    void SkipPastClose() {
        const qsizetype close = m_text.indexOf(u'>', m_pos);
        m_pos = close < 0 ? m_text.size() : close + 1;
    }

    QStringView Word() {
        const qsizetype size = m_text.size();
        if (At(u'"')) {
            const qsizetype start = ++m_pos;
            while (m_pos < size && m_text[m_pos] != u'"') {
                ++m_pos;
            }
            const QStringView word = m_text.mid(start, m_pos - start);
            if (m_pos < size) {
                ++m_pos;
            }
            return word;
        }
        if (At(u'\'')) {
            const qsizetype start = ++m_pos;
            while (m_pos < size) {
                const QChar c = m_text[m_pos++];
                if (c == u'\\' && At(u'\'')) {
                    ++m_pos;
                } else if (c == u'\'') {
                    return m_text.mid(start, m_pos - 1 - start);
                }
            }
            return m_text.mid(start, m_pos - start);
        }
        const qsizetype start = m_pos;
        while (m_pos < size) {
            const QChar c = m_text[m_pos];
            if (c == u'>' || (c == u'/' && At(u'>', 1)) || c == u'<' || c == u'=' || c.isSpace()) {
                break;
            }
            ++m_pos;
        }
        return m_text.mid(start, m_pos - start);
    }

    void SkipAttributes() {
        while (m_pos < m_text.size()) {
            EatSpace();
            if (At(u'>') || At(u'/')) {
                return;
            }
            if (Word().isEmpty()) {
                return;
            }
            EatSpace();
            if (At(u'=')) {
                ++m_pos;
                EatSpace();
                Word();
            }
        }
    }

    static QString TagName(QStringView word) {
        if (word.contains(u'&')) {
            return DecodeHtmlEntities(word).toLower();
        }
        return word.toString().toLower();
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

// ---- How the reader nests elements ------------------------------------------

bool IsInline(const QString& name) {
    // Elements the reader shows inline; everything else counts as a block.
    // Counting a doubtful element as a block only ever makes the nesting seem
    // deeper than the reader builds it, never shallower.
    static const QString kInline[] = {
        QStringLiteral("a"),      QStringLiteral("b"),    QStringLiteral("i"),      QStringLiteral("u"),
        QStringLiteral("s"),      QStringLiteral("em"),   QStringLiteral("strong"), QStringLiteral("span"),
        QStringLiteral("font"),   QStringLiteral("big"),  QStringLiteral("small"),  QStringLiteral("sub"),
        QStringLiteral("sup"),    QStringLiteral("code"), QStringLiteral("tt"),     QStringLiteral("kbd"),
        QStringLiteral("samp"),   QStringLiteral("var"),  QStringLiteral("cite"),   QStringLiteral("nobr"),
        QStringLiteral("strike"),
    };
    return std::find(std::begin(kInline), std::end(kInline), name) != std::end(kInline);
}

// Elements that never hold others: the reader closes them at once.
bool IsEmptyElement(const QString& name) {
    return name == u"img" || name == u"br" || name == u"hr" || name == u"meta";
}

bool IsRowGroup(const QString& name) {
    return name == u"thead" || name == u"tbody" || name == u"tfoot";
}

bool IsTableStructure(const QString& name) {
    return name == u"table" || name == u"tr" || name == u"td" || name == u"th" || IsRowGroup(name) ||
           name == u"caption" || name == u"col" || name == u"colgroup";
}

// What becomes of a table: kept as it is, unwrapped (its rows and cells go,
// its content stays as one block) or flattened (a block per row and cell).
enum class TableMode { Keep, Unwrap, Flatten };
// What becomes of an element's tags when markup is rewritten.
enum class Fate { Keep, Div, Drop };

// Elements whose own text the view does not show.
bool HidesItsText(const QString& name) {
    return name == u"style" || name == u"script" || name == u"title" || name == u"head";
}

struct OpenElement {
    QString name;
    int table = -1;   // for tables: their number, in the order the reader makes them
    int hiding = -1;  // for elements that hide their text: their number, likewise
    TableMode mode = TableMode::Keep;
    Fate fate = Fate::Keep;
    QString tag;       // the start tag written for it, when rewriting
    bool cut = false;  // a table cut into several
    int cells = 0;     // cells of a cut table written since its last cut
};

// The reader's rules for where a new element goes: a cell goes into the
// nearest row (and a row into the nearest table), making either when there
// is none; row groups and captions into the nearest table, list terms into
// the nearest list; a paragraph closes a paragraph it would land in, a list
// item one it would land directly in. End tags close the nearest element of
// their name and everything opened inside it; those without one are ignored.
// Observer gets OnPush(element) after each element is opened (also the
// tables and rows the reader adds itself, which have no tag) and OnPop(element)
// before each is closed.
template <typename Observer>
class Nesting {
public:
    explicit Nesting(Observer& observer) : m_observer(observer) {}

    // Returns whether the tag opened an element (the last OnPush).
    bool Start(const QString& name, bool closed) {
        if (name.isEmpty()) {
            return false;
        }
        if (name == u"td" || name == u"th") {
            if (Find(u"tr") < 0) {
                Push(QStringLiteral("table"));
                Push(QStringLiteral("tr"));
            }
            PopAbove(Find(u"tr"));
        } else if (name == u"tr") {
            if (Find(u"table") < 0) {
                Push(QStringLiteral("table"));
            }
            PopAbove(FindIf([](const QString& open) { return open == u"table" || IsRowGroup(open); }));
        } else if (IsRowGroup(name) || name == u"caption") {
            PopAbove(Find(u"table"));
        } else if (name == u"dd" || name == u"dt") {
            PopAbove(Find(u"dl"));
        } else if (name == u"body") {
            while (!m_open.empty() && m_open.back().name == u"head") {
                Pop();
            }
        } else if (name == u"p") {
            const qsizetype block = FindIf([](const QString& open) { return !IsInline(open); });
            if (block >= 0 && m_open[static_cast<size_t>(block)].name == u"p") {
                PopAbove(block - 1);
            }
        } else if (name == u"li" && !m_open.empty() && m_open.back().name == u"li") {
            Pop();
        }
        if (closed || IsEmptyElement(name)) {
            return false;
        }
        Push(name);
        return true;
    }

    // Returns whether a matching element was closed.
    bool End(const QString& name) {
        const qsizetype match = Find(name);
        if (name.isEmpty() || match < 0) {
            return false;
        }
        PopAbove(match - 1);
        return true;
    }

    // The end of the markup closes whatever is still open.
    void Finish() { PopAbove(-1); }

    const std::vector<OpenElement>& Open() const { return m_open; }
    std::vector<OpenElement>& Open() { return m_open; }
    int Tables() const { return m_tables; }

private:
    void Push(const QString& name) {
        OpenElement element;
        element.name = name;
        if (name == u"table") {
            element.table = m_tablesMade++;
            ++m_tables;
        } else if (HidesItsText(name)) {
            element.hiding = m_hidingMade++;
        }
        ++m_counts[name];
        m_open.push_back(std::move(element));
        m_observer.OnPush(*this);
    }

    void Pop() {
        m_observer.OnPop(*this);
        if (m_open.back().table >= 0) {
            --m_tables;
        }
        --m_counts[m_open.back().name];
        m_open.pop_back();
    }

    // Closes everything above index (index -1: everything).
    void PopAbove(qsizetype index) {
        while (static_cast<qsizetype>(m_open.size()) - 1 > index) {
            Pop();
        }
    }

    qsizetype Find(QStringView name) const {
        // Most lookups are for names that are not open at all; the count
        // answers those without walking a stack thousands deep.
        if (m_counts.value(name.toString()) == 0) {
            return -1;
        }
        return FindIf([name](const QString& open) { return open == name; });
    }

    template <typename Predicate>
    qsizetype FindIf(Predicate predicate) const {
        for (qsizetype i = static_cast<qsizetype>(m_open.size()) - 1; i >= 0; --i) {
            if (predicate(m_open[static_cast<size_t>(i)].name)) {
                return i;
            }
        }
        return -1;
    }

    Observer& m_observer;
    std::vector<OpenElement> m_open;
    QHash<QString, int> m_counts;  // open elements by name
    int m_tables = 0;
    int m_tablesMade = 0;
    int m_hidingMade = 0;
};

template <typename Observer>
void Walk(QStringView markup, Observer& observer, Nesting<Observer>& nesting) {
    Tokenizer tokenizer(markup);
    Token token;
    while (tokenizer.Next(token)) {
        observer.OnToken(token, nesting);
    }
    nesting.Finish();
}

// ---- Measuring ---------------------------------------------------------------

struct Measure {
    MarkupNesting deepest;
    // Per table, in the order they are made: its cells and how many levels of
    // tables it holds, itself included.
    std::vector<int> cells;
    std::vector<int> height;
    // The most cells of a table directly in the document.
    int topCells = 0;
    // Per table, the most cells in one of its rows; and the most of all.
    std::vector<int> columns;
    int widestRow = 0;
    // Per element that hides its own text: whether elements opened inside it.
    std::vector<bool> hidingHolds;

    void OnPush(Nesting<Measure>& nesting) {
        auto& open = nesting.Open();
        if (open.back().hiding >= 0) {
            hidingHolds.push_back(false);
        }
        if (open.size() >= 2 && open[open.size() - 2].hiding >= 0) {
            hidingHolds[static_cast<size_t>(open[open.size() - 2].hiding)] = true;
        }
        deepest.elements = std::max(deepest.elements, static_cast<int>(open.size()));
        deepest.tables = std::max(deepest.tables, nesting.Tables());
        const OpenElement& element = open.back();
        if (element.table >= 0) {
            cells.push_back(0);
            height.push_back(1);
            columns.push_back(0);
        } else if (element.name == u"td" || element.name == u"th") {
            const int table = NearestTable(open, open.size() - 1);
            if (table >= 0) {
                ++cells[static_cast<size_t>(table)];
            }
            // A cell lands right in its row.
            OpenElement& row = open[open.size() - 2];
            if (table >= 0 && row.name == u"tr") {
                int& widest = columns[static_cast<size_t>(table)];
                widest = std::max(widest, ++row.cells);
                widestRow = std::max(widestRow, widest);
            }
        }
    }

    void OnPop(Nesting<Measure>& nesting) {
        const auto& open = nesting.Open();
        const OpenElement& element = open.back();
        if (element.table < 0) {
            return;
        }
        const int parent = NearestTable(open, open.size() - 1);
        if (parent < 0) {
            topCells = std::max(topCells, cells[static_cast<size_t>(element.table)]);
        }
        if (parent >= 0) {
            int& parentHeight = height[static_cast<size_t>(parent)];
            parentHeight = std::max(parentHeight, height[static_cast<size_t>(element.table)] + 1);
        }
    }

    void OnToken(const Token& token, Nesting<Measure>& nesting) {
        if (token.kind == Token::Kind::StartTag) {
            nesting.Start(token.name, token.closed);
        } else if (token.kind == Token::Kind::EndTag) {
            nesting.End(token.name);
        }
    }

    // The table below position `below` of the open elements, or -1.
    static int NearestTable(const std::vector<OpenElement>& open, size_t below) {
        for (size_t i = below; i-- > 0;) {
            if (open[i].table >= 0) {
                return open[i].table;
            }
        }
        return -1;
    }
};

// ---- Rewriting -----------------------------------------------------------------

class Rewriter {
public:
    Rewriter(QStringView markup, const Measure& measure, const MarkupLimits& limits, int enclosingTables)
        : m_markup(markup), m_measure(measure), m_limits(limits), m_enclosingTables(enclosingTables) {
        m_out.reserve(markup.size() + markup.size() / 8);
    }

    QString Result() { return std::move(m_out); }

    void OnToken(const Token& token, Nesting<Rewriter>& nesting) {
        const QStringView text = m_markup.mid(token.begin, token.end - token.begin);
        switch (token.kind) {
            case Token::Kind::Text:
                m_out += text;
                if (!text.trimmed().isEmpty()) {
                    m_textSinceBreak = true;
                }
                return;
            case Token::Kind::Declaration:
                m_out += text;
                return;
            case Token::Kind::EndTag: {
                // Every element closed on the way is closed explicitly (see
                // OnPop), so an end tag that matched needs nothing more, and
                // one that did not is ignored by the reader anyway.
                const qsizetype before = m_out.size();
                if (!nesting.End(token.name)) {
                    m_out += text;
                }
                KeepApart(before);
                return;
            }
            case Token::Kind::StartTag:
                break;
        }
        const qsizetype before = m_out.size();
        m_pendingTag = text;
        m_pendingName = token.name;
        m_pendingUsed = false;
        const bool opened = nesting.Start(token.name, token.closed);
        if (!opened && !m_pendingUsed) {
            // An element closed at once: a picture, a line break, a tag
            // closed with "/". Kept, unless it is table structure of a
            // table that does not stay one.
            const bool tablePart =
                IsTableStructure(token.name) && OwnerMode(nesting.Open()) != TableMode::Keep;
            if (!tablePart) {
                m_out += text;
            }
        }
        KeepApart(before);
    }

    void OnPush(Nesting<Rewriter>& nesting) {
        auto& open = nesting.Open();
        OpenElement& element = open.back();
        // The element of the tag being read is the last one pushed for it;
        // the ones before it (a table and row the reader adds for a lone
        // cell) have no tag of their own.
        const bool fromTag = !m_pendingUsed && element.name == m_pendingName;
        Decide(open, element);
        if (element.fate != Fate::Drop && m_emittedDepth >= m_limits.elements) {
            if (!IsInline(element.name) && m_textSinceBreak) {
                m_out += QLatin1String("<br>");
                m_textSinceBreak = false;
            }
            element.fate = Fate::Drop;
            // Its rows and cells then go the same way, each leaving a break.
            if (element.table >= 0) {
                element.mode = TableMode::Flatten;
            }
        }
        if (element.fate != Fate::Drop) {
            ++m_emittedDepth;
        }
        if (element.table >= 0 && element.mode == TableMode::Keep) {
            element.cut = m_enclosingTables + m_keptTables == 0;
            ++m_keptTables;
        }
        if (element.fate == Fate::Keep) {
            element.tag =
                fromTag ? m_pendingTag.toString() : QLatin1Char('<') + element.name + QLatin1Char('>');
            CutLongTable(open);
        }
        switch (element.fate) {
            case Fate::Keep:
                // What the reader adds by itself is written out, so that the
                // markup says what the reader will make of it.
                m_out += fromTag ? m_pendingTag : QStringView(element.tag);
                break;
            case Fate::Div:
                m_out += QLatin1String("<div>");
                break;
            case Fate::Drop:
                break;
        }
        if (fromTag) {
            m_pendingUsed = true;
        }
    }

    void OnPop(Nesting<Rewriter>& nesting) {
        const OpenElement& element = nesting.Open().back();
        switch (element.fate) {
            case Fate::Keep:
                m_out += QLatin1String("</") + element.name + QLatin1Char('>');
                break;
            case Fate::Div:
                m_out += QLatin1String("</div>");
                break;
            case Fate::Drop:
                break;
        }
        if (element.fate != Fate::Drop) {
            --m_emittedDepth;
        }
        if (element.table >= 0 && element.mode == TableMode::Keep) {
            --m_keptTables;
        }
    }

private:
    // A tag left out must still keep the text on its two sides apart: the
    // reader resolves "&am<b>p;" as text, "&amp;" as "&".
    void KeepApart(qsizetype outputBefore) {
        if (m_out.size() == outputBefore && !m_out.isEmpty() && m_out.back() != u'>') {
            m_out += QLatin1String("<!---->");
        }
    }

    // Before a row of a long table directly in the document that has had
    // its share of cells: ends the table and starts a new one like it.
    void CutLongTable(std::vector<OpenElement>& open) {
        const OpenElement& element = open.back();
        const bool row = element.name == u"tr";
        if (!row && element.name != u"td" && element.name != u"th") {
            return;
        }
        size_t tableAt = open.size() - 1;
        while (tableAt-- > 0 && open[tableAt].table < 0) {
        }
        if (tableAt >= open.size() || !open[tableAt].cut) {
            return;
        }
        OpenElement& table = open[tableAt];
        if (!row) {
            ++table.cells;
            return;
        }
        if (table.cells < m_limits.tableCells) {
            return;
        }
        // Row groups between the table and the row close and open again.
        for (size_t i = open.size() - 2; i > tableAt; --i) {
            m_out += QLatin1String("</") + open[i].name + QLatin1Char('>');
        }
        m_out += QLatin1String("</table>") + table.tag;
        for (size_t i = tableAt + 1; i + 1 < open.size(); ++i) {
            m_out += open[i].tag;
        }
        table.cells = 0;
    }

    // Names of elements a tag can be written for; anything else comes from
    // garbage such as "<'a b'>" and is left out when rewriting.
    static bool IsPlainName(const QString& name) {
        return std::all_of(name.begin(), name.end(), [](QChar c) {
            return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_' ||
                   c == u':' || c == u'.';
        });
    }

    // The mode of the table the last open element belongs to.
    static TableMode OwnerMode(const std::vector<OpenElement>& open, size_t below) {
        for (size_t i = below; i-- > 0;) {
            if (open[i].table >= 0) {
                return open[i].mode;
            }
        }
        return TableMode::Keep;
    }
    static TableMode OwnerMode(const std::vector<OpenElement>& open) { return OwnerMode(open, open.size()); }

    void Decide(const std::vector<OpenElement>& open, OpenElement& element) {
        if (!IsPlainName(element.name)) {
            element.fate = Fate::Drop;
            return;
        }
        // A style sheet or title holding elements is no style sheet: left
        // in, the text of anything cut from inside it would vanish with its
        // own; left out, its text shows.
        if (element.hiding >= 0) {
            const size_t id = static_cast<size_t>(element.hiding);
            if (id < m_measure.hidingHolds.size() && m_measure.hidingHolds[id]) {
                element.fate = Fate::Drop;
            }
            return;
        }
        if (element.table >= 0) {
            const TableMode around = OwnerMode(open, open.size() - 1);
            const int kept = m_enclosingTables + m_keptTables;
            const size_t id = static_cast<size_t>(element.table);
            const int cells = id < m_measure.cells.size() ? m_measure.cells[id] : 0;
            const int height = id < m_measure.height.size() ? m_measure.height[id] : 1;
            const int columns = id < m_measure.columns.size() ? m_measure.columns[id] : 0;
            // Too deep, too wide, or without room below the element limit
            // for itself, a row and a cell (its cells would lose their row).
            if (around == TableMode::Flatten || kept >= m_limits.tables || columns > m_limits.columns ||
                m_emittedDepth + 3 > m_limits.elements) {
                element.mode = TableMode::Flatten;
            } else if (cells <= 1 && height >= 2) {
                // A single cell around further tables only frames them; once
                // the markup is too deep, such frames are the first to go.
                element.mode = TableMode::Unwrap;
            }
            element.fate = element.mode == TableMode::Keep ? Fate::Keep : Fate::Div;
            return;
        }
        if (!IsTableStructure(element.name)) {
            return;
        }
        switch (OwnerMode(open, open.size() - 1)) {
            case TableMode::Keep:
                break;
            case TableMode::Unwrap:
                element.fate = Fate::Drop;
                break;
            case TableMode::Flatten:
                element.fate = (element.name == u"tr" || element.name == u"td" || element.name == u"th" ||
                                element.name == u"caption")
                                   ? Fate::Div
                                   : Fate::Drop;
                break;
        }
    }

    QStringView m_markup;
    const Measure& m_measure;
    MarkupLimits m_limits;
    int m_enclosingTables;
    QString m_out;
    QStringView m_pendingTag;  // the start tag being read
    QString m_pendingName;
    bool m_pendingUsed = false;
    int m_emittedDepth = 0;
    int m_keptTables = 0;
    bool m_textSinceBreak = false;
};

}  // namespace

QString DecodeHtmlEntities(QStringView text) {
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == u'&') {
            // The longest reference body is "#x10FFFF" or a name like "frac14".
            const qsizetype semicolon = text.mid(i + 1, 10).indexOf(u';');
            if (semicolon > 0) {
                const char32_t code = ResolveReference(text.mid(i + 1, semicolon));
                if (code != 0) {
                    result += QString::fromUcs4(&code, 1);
                    i += semicolon + 2;
                    continue;
                }
            }
        }
        result += c;
        ++i;
    }
    return result;
}

MarkupNesting MeasureMarkupNesting(QStringView markup) {
    Measure measure;
    Nesting<Measure> nesting(measure);
    Walk(markup, measure, nesting);
    return measure.deepest;
}

QString SimplifyMarkup(const QString& markup, const MarkupLimits& limits, int enclosingTables) {
    Measure measure;
    {
        Nesting<Measure> nesting(measure);
        Walk(markup, measure, nesting);
    }
    const bool longTable = enclosingTables == 0 && measure.topCells > limits.tableCells;
    if (measure.deepest.tables + enclosingTables <= limits.tables &&
        measure.deepest.elements <= limits.elements && !longTable) {
        return markup;
    }
    Rewriter rewriter(markup, measure, limits, enclosingTables);
    {
        Nesting<Rewriter> nesting(rewriter);
        Walk(markup, rewriter, nesting);
    }
    return rewriter.Result();
}

QString MarkupReferenceText(QStringView markup) {
    QString text;
    Tokenizer tokenizer(markup);
    Token token;
    int inStyle = 0;
    while (tokenizer.Next(token)) {
        const bool styleName = token.name == u"style" || token.name == u"script";
        if (token.kind == Token::Kind::StartTag && styleName && !token.closed) {
            ++inStyle;
        } else if (token.kind == Token::Kind::EndTag && styleName && inStyle > 0) {
            --inStyle;
        }
        if (token.kind != Token::Kind::Text || inStyle > 0) {
            text += markup.mid(token.begin, token.end - token.begin);
            text += QLatin1Char('\n');
        }
    }
    return text;
}
