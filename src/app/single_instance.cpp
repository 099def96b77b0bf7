// Single instance through a lock file and a local socket.
#include "app/single_instance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace corvane {

namespace {

constexpr char kRaiseMessage[] = "raise\n";
// How long a second start keeps trying to reach a first one that is still
// starting up (it holds the lock but does not listen yet).
constexpr int kReachMilliseconds = 3000;

QString defaultKey() {
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return name.isEmpty() ? QStringLiteral("corvane") : name;
}

QString defaultFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

}  // namespace

SingleInstance::SingleInstance(QString key, QString folder, QObject* parent)
    : QObject(parent),
      key_(key.isEmpty() ? defaultKey() : std::move(key)),
      folder_(folder.isEmpty() ? defaultFolder() : std::move(folder)) {}

SingleInstance::~SingleInstance() {
    if (server_ != nullptr)
        server_->close();
    if (lock_)
        lock_->unlock();
}

QString SingleInstance::lockPath() const {
    return QDir(folder_).filePath(key_ + QStringLiteral(".lock"));
}

QString SingleInstance::serverName() const {
    return QDir(folder_).filePath(key_ + QStringLiteral(".socket"));
}

bool SingleInstance::start() {
    if (primary_)
        return true;
    QDir().mkpath(folder_);
    lock_ = std::make_unique<QLockFile>(lockPath());
    // A lock left by a process that died is stale: QLockFile takes it over
    // (it checks whether the recorded process still runs).
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        askRunningInstanceToRaise();
        return false;
    }
    // The lock is ours, so a socket file still there was left by a crash.
    QLocalServer::removeServer(serverName());
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    if (!server_->listen(serverName())) {
        // Still the only instance; a second start then cannot raise this one.
        qWarning("single instance: cannot listen on %s: %s", qPrintable(serverName()),
                 qPrintable(server_->errorString()));
    }
    primary_ = true;
    return true;
}

bool SingleInstance::askRunningInstanceToRaise() {
    const QDeadlineTimer deadline(kReachMilliseconds);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(serverName());
        if (socket.waitForConnected(200)) {
            socket.write(kRaiseMessage);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState)
                socket.waitForDisconnected(1000);
            return sent;
        }
        QThread::msleep(50);
    }
    return false;
}

void SingleInstance::acceptConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readLines = [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() == kRaiseMessage)
                    emit raiseRequested();
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readLines);
        readLines();  // what arrived before the connection was taken
    }
}

}  // namespace corvane
