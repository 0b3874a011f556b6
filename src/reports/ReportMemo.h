#pragma once
// A record's memo as an HTML report shows it: written into the page itself,
// so that every line and picture reads in any browser, with or without
// scripts, when the page is opened from the disk. The memo document goes
// through the same reader as the memo editor's view and comes out as that
// reader writes it: text, formatting, tables and pictures, never a script,
// a frame or an event handler of the stored file. Links keep only web and
// mail addresses.

#include <QString>
#include <QStringView>

// The markup of the memo of memoFolder, its pictures addressed under
// pictureFolder (an address relative to the page, as written in it: where
// the report copies the memo folder). Without a readable data.htm, the record's plain memo text, line
// by line.
QString ReportMemoMarkup(const QString& memoFolder, QStringView memoText, QStringView pictureFolder);
