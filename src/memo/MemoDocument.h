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
// Files the rider brought with a record (the GPS file a ride was imported
// from) are kept in <folder>/source. The memo refers to none of them, so they
// lie outside data.files, where the clean-up of unused pictures never looks,
// and reports copy only data.htm and data.files. Backups, restores and
// deletes take the memo folder whole, this folder with it.
inline constexpr char kMemoSourceFolderName[] = "source";
QString MemoSourceFolderPath(const QString& folder);  // <folder>/source

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

// The file an address in a memo stands for, found the way the view finds
// it: "file:" addresses give their path, absolute paths stay as they are,
// relative ones are read as URLs against the memo folder ("my%20pic.jpg" is
// the file "my pic.jpg"). Addresses with another scheme (http:, data:) come
// back unchanged.
QString ResolveMemoAddress(const QString& folder, const QString& address);

// The attribute text that refers to a picture file of data.files from the
// markup: "data.files/" and the name, escaped so that the view and a browser
// find exactly that file again ("a&amp;b.png" is written "a&amp;amp;b.png",
// "100%.png" "100%25.png").
QString PictureReferenceInMarkup(const QString& fileName);

// Turns addresses that lead into this memo's own data.files (as the view
// writes pictures it was given by full path) into "data.files/<name>"
// references, so the memo still finds them after its folder moves. Addresses
// anywhere else, even into another memo's folder, are left as written.
QString MakePictureSourcesRelative(const QString& markup, const QString& folder);

// Everything a document refers to files by: its tags and their attributes
// (src, background, href, style="...url(...)" and any other), its style
// sheets and comments, with HTML references and %XX escapes resolved, plus
// any further addresses given. A file is in use when its name occurs
// anywhere in that, ignoring case (memo folders made on Windows spell
// "Photo.JPG" for "photo.jpg"). A plain substring test: 1.jpg counts as used
// while 11.jpg is shown; it only ever keeps a file too many.
class MemoReferences {
public:
    MemoReferences() = default;
    explicit MemoReferences(const QString& markup, const QStringList& addresses = {});
    bool Uses(const QString& fileName) const;

private:
    void AddForm(const QString& text);
    QStringList m_forms;  // case-folded, composed
};

// Deletes the files of <folder>/data.files that the references do not use.
// Never reaches outside the memo folder: a data.files that is a symbolic
// link is left alone, and so is every link inside it. A folder that cannot
// be listed, and files that cannot be deleted, are left alone.
void RemoveUnusedPictureFiles(const QString& folder, const MemoReferences& references);

// Copies a chosen picture to <folder>/data.files/<its file name>, making the
// picture folder when needed and replacing a file of the same name. Returns
// the target path, or an empty text when nothing was copied.
QString CopyPictureIntoMemo(const QString& folder, const QString& sourcePath);
