#pragma once
// The text of every report the program writes: UTF-16LE with the byte-order
// mark FF FE and CR LF line ends written explicitly, put on disk completely or
// not at all. Also the small pieces the report contents are made of: the "$"
// templates of the HTML reports, comma-separated cells and HTML text.

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <initializer_list>

// A report's text, built in one buffer and written in one go.
class ReportText {
public:
    explicit ReportText(qsizetype expectedCharacters = 0);

    ReportText& Write(QStringView text);
    // text followed by CR LF.
    ReportText& Line(QStringView text = {});
    // A template with its "$" filled (see AppendTemplate).
    ReportText& Template(QStringView templateText, std::initializer_list<QStringView> args = {});
    // A cell of a comma-separated file (see AppendCsvField).
    ReportText& CsvField(QStringView cell);

    const QString& Text() const { return m_text; }
    // The file's bytes: FF FE and the text as UTF-16LE.
    QByteArray Bytes() const;
    // Replaces the file at path with the report, completely or not at all.
    [[nodiscard]] bool WriteTo(const QString& path) const;

private:
    QString m_text;
};

// FF FE followed by text as UTF-16LE.
QByteArray EncodeReport(QStringView text);

// Appends a template: each "$" is replaced, left to right, by the next
// argument (a missing one inserts nothing) and each "%%" is written as "%".
// The arguments are inserted exactly as they are, "$" and "%" included.
void AppendTemplate(QString& out, QStringView templateText, std::initializer_list<QStringView> args = {});
QString FillTemplate(QStringView templateText, std::initializer_list<QStringView> args = {});

// A cell of a comma-separated file: written as it is, unless it holds a
// comma, a double quote, CR or LF; then it is enclosed in double quotes with
// each inner double quote doubled. Text that begins with "=", "+", "-", "@",
// a tab or CR, which a spreadsheet would evaluate as a formula, gets a
// leading apostrophe inside the cell; a number ("-12.50", "-3.00km") stays
// as it is.
void AppendCsvField(QString& out, QStringView cell);
// The same for a file whose cells are separated by another character (";"
// where spreadsheets read a decimal comma): that character quotes the cell
// instead of the comma.
void AppendCsvField(QString& out, QStringView cell, QChar separator);
// A whole cell that is already meant to stand between double quotes: its
// inner double quotes doubled and formula text guarded as above, nothing
// else changed.
void AppendCsvQuoted(QString& out, QStringView text);
// A cell read back: the apostrophe the formula guard put before it taken
// away ("'=SUM(A1)" is "=SUM(A1)"); any other cell as it is.
QString WithoutCsvFormulaGuard(QStringView cell);

// Text for an HTML page: "&", "<", ">" and '"' written as entities, so a name
// such as "Fuji <Track>" reads as itself and never as markup.
QString HtmlEscape(QStringView text);
void AppendHtmlEscaped(QString& out, QStringView text);

// A file name for a relative link of an HTML page: characters that would end
// or redirect the address ("%", "#", "?") percent-encoded, then HTML-escaped.
// Ordinary names come out unchanged.
QString HtmlLinkName(QStringView fileName);

// The first maxCharacters characters of text.
inline QStringView CutText(QStringView text, qsizetype maxCharacters) {
    return text.size() > maxCharacters ? text.first(maxCharacters) : text;
}
