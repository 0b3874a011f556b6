#pragma once
// Markup as the memo view will read it. Memos arrive from other programs and
// from pasted web pages; the view's own reader builds one element per tag,
// takes time that grows with the square of the nesting depth, and lays out
// nested tables in time that doubles with every level (and runs out of stack
// a few hundred levels down). These functions read markup the way the view's
// reader does, without building anything, so that the editor can see the
// nesting before the view does and flatten what the view cannot lay out.

#include <QString>
#include <QStringView>

// Resolves HTML character references: the named ones of HTML 4 ("&amp;",
// "&eacute;", ...), "&#NNN;" and "&#xHH;". Anything else, and references
// without their ";", stay as written.
QString DecodeHtmlEntities(QStringView text);

// How deep markup may nest before the view's reader and layout get slow.
struct MarkupLimits {
    // Tables inside tables, the outermost counting as one. Each further level
    // roughly doubles the layout time of everything inside it.
    int tables = 3;
    // Open elements at once; the reader's time grows with their square.
    int elements = 64;
    // Cells of a table standing directly in the document. The view lays a
    // table out whole before it shows any of it, but a document's blocks and
    // tables one by one, as far as the window reaches, and the rest while
    // the rider reads: a long table is cut into tables of about this many
    // cells so that it shows at once.
    int tableCells = 300;
    // Cells in one row. The view's time grows faster than the number of
    // columns, and a row of hundreds of cells is no table anyone reads.
    int columns = 64;
};

struct MarkupNesting {
    int tables = 0;    // deepest nesting of tables, including those the reader adds itself
    int elements = 0;  // deepest nesting of open elements
};

// The nesting the view's reader would build from markup.
MarkupNesting MeasureMarkupNesting(QStringView markup);

// markup itself when it stays within limits (enclosingTables being the
// tables the markup will land in, for pasting into a table cell). Otherwise a
// copy that keeps every character of text and every picture but nests less:
// - tables of one cell around further tables (frames of page layouts)
//   become plain blocks;
// - tables that would still lie deeper than allowed, and tables with rows of
//   more cells than allowed, become blocks with one block per row and cell;
// - tags that would open elements past the element limit are left out, a
//   line break standing for the block ones so that words do not run together;
// - a long table directly in the document is cut, between its rows, into
//   several tables with the same attributes.
QString SimplifyMarkup(const QString& markup, const MarkupLimits& limits = {}, int enclosingTables = 0);

// The parts of markup through which a document can refer to a file: every
// tag with its attributes, every comment and declaration, and the text of
// style and script elements (CSS url(...)). The text the reader sees is left
// out. Parts are separated by line breaks.
QString MarkupReferenceText(QStringView markup);
