#include "platform/Log.h"

#include "store/store.h"
#include "units/ProductInfo.h"

#include <fcntl.h>
#include <unistd.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSysInfo>
#include <cstring>
#include <memory>

Q_LOGGING_CATEGORY(lcStartup, "velomarq.startup")
Q_LOGGING_CATEGORY(lcStore, "velomarq.store")
Q_LOGGING_CATEGORY(lcFiles, "velomarq.files")
Q_LOGGING_CATEGORY(lcImport, "velomarq.import")
Q_LOGGING_CATEGORY(lcCare, "velomarq.care")
Q_LOGGING_CATEGORY(lcMessages, "velomarq.messages")

namespace {

constexpr int kKeptLogs = 3;

struct LogState {
    QMutex mutex;
    std::unique_ptr<QFile> file;
    QString path;
    QtMessageHandler previous = nullptr;
};

LogState& State() {
    static LogState state;
    return state;
}

char LevelLetter(QtMsgType type) {
    switch (type) {
        case QtDebugMsg:
            return 'D';
        case QtInfoMsg:
            return 'I';
        case QtWarningMsg:
            return 'W';
        case QtCriticalMsg:
            return 'E';
        case QtFatalMsg:
            return 'F';
    }
    return '?';
}

// Moves velomarq.log to .1, .1 to .2 and so on; the oldest goes.
void RotateLocked(LogState& state) {
    state.file.reset();
    QFile::remove(state.path + u'.' + QString::number(kKeptLogs));
    for (int n = kKeptLogs - 1; n >= 1; --n) {
        QFile::rename(state.path + u'.' + QString::number(n), state.path + u'.' + QString::number(n + 1));
    }
    QFile::rename(state.path, state.path + QStringLiteral(".1"));
}

bool OpenLocked(LogState& state) {
    // Never through a link planted in the log's place: lines would be added
    // to whatever file it leads to.
    const int descriptor = ::open(QFile::encodeName(state.path).constData(),
                                  O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        return false;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(descriptor, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return false;
    }
    state.file = std::move(file);
    return true;
}

void WriteLine(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    LogState& state = State();
    QMutexLocker lock(&state.mutex);
    if (!state.file) {
        return;
    }
    const QByteArray line =
        QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8() + ' ' + LevelLetter(type) + ' ' +
        QByteArray(context.category ? context.category : "default") + ": " + message.toUtf8() + '\n';
    // Written through at once: the lines before a crash are the ones wanted.
    state.file->write(line);
    state.file->flush();
    if (state.file->size() > kLogFileLimit) {
        RotateLocked(state);
        OpenLocked(state);
    }
}

void Handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    WriteLine(type, context, message);
    if (const QtMessageHandler previous = State().previous) {
        previous(type, context, message);
    }
}

void ObserveStoreFailure(const char* lastError, StoreFailure failure) {
    if (failure.sqliteCode != 0 || failure.systemError != 0) {
        qCWarning(lcStore).nospace().noquote()
            << lastError << " (SQLite " << failure.sqliteCode << ": "
            << DB_DescribeResultCode(failure.sqliteCode) << "; system " << failure.systemError << ": "
            << (failure.systemError != 0 ? std::strerror(failure.systemError) : "none") << ")";
    } else {
        qCWarning(lcStore).noquote() << lastError;
    }
}

}  // namespace

bool StartLog(const QString& folder) {
    LogState& state = State();
    {
        QMutexLocker lock(&state.mutex);
        state.file.reset();
        state.path = QDir(folder).absoluteFilePath(QString::fromLatin1(kLogFileName));
        if (QFileInfo::exists(state.path) && QFileInfo(state.path).size() > kLogFileLimit) {
            RotateLocked(state);
        }
        if (!OpenLocked(state)) {
            state.path.clear();
            return false;
        }
    }
    const QtMessageHandler previous = qInstallMessageHandler(Handler);
    if (previous != Handler) {
        state.previous = previous;
    }
    DB_SetFailureObserver(ObserveStoreFailure);
    return true;
}

void LogStartupFacts(const QString& programDirectory) {
    qCInfo(lcStartup).noquote() << kProductName << kProductVersion << "starts; Qt" << qVersion() << "SQLite"
                                << DB_LibraryVersion() << "on" << QSysInfo::prettyProductName();
    qCInfo(lcStartup).noquote() << "Program directory:" << QDir::toNativeSeparators(programDirectory);
}

void StopLog() {
    LogState& state = State();
    DB_SetFailureObserver(nullptr);
    qInstallMessageHandler(state.previous);
    state.previous = nullptr;
    QMutexLocker lock(&state.mutex);
    state.file.reset();
    state.path.clear();
}

QString LogFilePath() {
    LogState& state = State();
    QMutexLocker lock(&state.mutex);
    return state.path;
}
