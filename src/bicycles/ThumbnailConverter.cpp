#include "bicycles/ThumbnailConverter.h"

#include "language/Language.h"
#include "platform/Files.h"

#include <QFile>

ConverterRun RunConverter(QWidget* window, const ConverterCommand& command) {
    if (command.run.program.isEmpty()) {
        return {ConverterEnd::Finished, 0};  // no picture the converter is given
    }
    const ProgramRun run =
        RunProgramCancellable(window, command.run, GetLanguageString("BicycleAttrDlg", "PICT"),
                              GetLanguageString("BicycleAttrDlg", "CONV"));
    switch (run.end) {
        case ProgramEnd::NotStarted:
            return {ConverterEnd::NotStarted, run.systemError};
        case ProgramEnd::Cancelled:
        case ProgramEnd::TimedOut:
            return {ConverterEnd::Cancelled, 0};
        case ProgramEnd::Finished:
            break;
    }
    // ImageMagick ends with an error for a mere warning (a JPEG cut short)
    // and still writes the picture: what it gave back is judged by the reader.
    if (!run.output.isEmpty()) {
        QFile::remove(command.thumbnailPath);
        (void)WriteNewFile(command.thumbnailPath, run.output);
    }
    return {ConverterEnd::Finished, 0};
}
