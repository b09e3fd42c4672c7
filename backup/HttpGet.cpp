#include "backup/HttpGet.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

int HttpGetToFile(const QString& url, const QString& file, int timeoutMs, qint64 maxBytes)
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Sugestii"));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(timeoutMs);

    QFile out(file);
    bool writeFailed = false;
    bool tooLong = false;
    QNetworkReply* reply = manager.get(request);
    QEventLoop loop;
    // The body is written as it arrives, so a large reply never sits in memory.
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        if (writeFailed)
            return;
        if (!out.isOpen() && !out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            writeFailed = true;
            return;
        }
        while (reply->bytesAvailable() > 0) {
            const QByteArray block = reply->read(1024);
            if (out.size() + block.size() > maxBytes) {
                tooLong = true;
                reply->abort();
                return;
            }
            if (out.write(block) != block.size()) {
                writeFailed = true;
                return;
            }
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();

    const bool answered = reply->error() == QNetworkReply::NoError && !tooLong;
    if (answered && !writeFailed) {
        if (reply->bytesAvailable() > 0 && out.size() + reply->bytesAvailable() > maxBytes) {
            out.close();
            out.remove();
            reply->deleteLater();
            return 2;
        }
        if (reply->bytesAvailable() > 0)
            out.write(reply->readAll());
        if (!out.isOpen() && !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            writeFailed = true;
    }
    reply->deleteLater();
    out.close();
    if (!answered) {
        if (out.exists())
            out.remove();
        return 2;
    }
    return writeFailed ? 1 : 0;
}
