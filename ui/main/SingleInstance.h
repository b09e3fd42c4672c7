// One running program per user: the first start listens on a local socket
// named after the user (and the system folder, so that separate test or
// portable set-ups never meet); a later start asks it to come to the front and
// ends without touching any file.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

QString instanceServerName(const QString& systemFolder);

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when another instance answered and was asked to come to the front:
    // this process must end. Otherwise starts listening and returns false.
    bool anotherIsRunning();

signals:
    // Another start asked this instance to come to the front.
    void raiseRequested();

private:
    QString m_name;
    QLocalServer* m_server = nullptr;
};

// Restores a minimised window or brings it to the front.
void bringToFront(class QWidget* window);
