#pragma once
// The memo folder on disk: <record folder>/data.htm holds the formatted memo,
// <record folder>/data.files holds its pictures. These functions know the byte
// format of data.htm and how pictures are copied in, referenced and cleaned up;
// they need no window, so the editor and the record editors share them.

#include <QByteArray>
#include <QString>
#include <QStringList>

inline constexpr char kMemoDocumentName[] = "data.htm";
inline constexpr char kMemoPictureFolderName[] = "data.files";
// What a picture reference inside data.htm starts with.
inline constexpr char kMemoPictureReference[] = "data.files/";

QString MemoDocumentPath(const QString& folder);                          // <folder>/data.htm
QString MemoPictureFolderPath(const QString& folder);                     // <folder>/data.files
QString MemoPicturePath(const QString& folder, const QString& fileName);  // <folder>/data.files/<name>

// The markup of a stored document. UTF-16LE with its byte-order mark (with or
// without trailing NUL characters), UTF-16BE with its mark, and UTF-8 with or
// without a mark are all read; anything without a mark is taken as UTF-8.
QString DecodeMemoDocument(const QByteArray& bytes);

// The bytes SaveDocument writes: FF FE, the markup as UTF-16LE and one NUL
// character, 2 + 2 x (characters + 1) bytes in all.
QByteArray EncodeMemoDocument(const QString& markup);

// The bytes of a document started from a record's plain memo text: FF FE, then
// "<html><body>", the text with each "\r\n" turned into "<br>", "</body></html>",
// as UTF-16LE without a NUL. "&", "<" and ">" are written as entities so that
// a memo such as "a<b" is not read back as a tag and lost.
QByteArray EncodePlainTextMemo(const QString& text);

// Record editors call this when they open an existing record whose folder has
// no data.htm yet. Returns false when the file could not be written.
[[nodiscard]] bool StartMemoFromPlainText(const QString& folder, const QString& memoText);

// Turns picture addresses as the view reports them (absolute, inside the memo
// folder) back into "data.files/<name>" references: for each address holding
// "data.files/", every occurrence of the address in the markup is replaced by
// its tail from that point. Other addresses are left alone.
QString MakePictureSourcesRelative(const QString& markup, const QStringList& sources);

// A picture file counts as in use when its name occurs (case-sensitively)
// inside one of the addresses after that address's first character. A plain
// substring test: 1.jpg stays while 11.jpg is shown, which only ever keeps a
// file too many, never deletes one in use. Addresses are also looked at with
// their %XX escapes decoded, as the view does when it loads the picture.
bool IsPictureFileInUse(const QString& fileName, const QStringList& sources);

// Deletes the files of <folder>/data.files that no address uses. A folder that
// cannot be listed, and files that cannot be deleted, are left alone.
void RemoveUnusedPictureFiles(const QString& folder, const QStringList& sources);

// Copies a chosen picture to <folder>/data.files/<its file name>, making the
// picture folder when needed and replacing a file of the same name. Returns
// the target path, or an empty text when nothing was copied.
QString CopyPictureIntoMemo(const QString& folder, const QString& sourcePath);
