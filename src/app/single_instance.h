// One console per user: the first start takes a lock and listens on a local
// socket; a second start finds the lock taken, tells the running console to
// raise its window and ends.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

namespace corvane {

class SingleInstance : public QObject {
    Q_OBJECT

  public:
    // `key` names the program (the executable's name by default); the lock
    // and the socket live in the user's runtime folder, or in `folder`.
    explicit SingleInstance(QString key = {}, QString folder = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock and starts listening: true for the first instance. A
    // second one sends the running instance the request to raise its window
    // and returns false; the caller then ends.
    bool start();
    bool isPrimary() const { return primary_; }

    QString lockPath() const;
    QString serverName() const;

  signals:
    // Another start asked this instance to show its window in front.
    void raiseRequested();

  private:
    bool askRunningInstanceToRaise();
    void acceptConnection();

    QString key_;
    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    bool primary_ = false;
};

}  // namespace corvane
