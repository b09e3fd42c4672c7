// Shared set-up for the tests that read and write files: a fresh temporary
// folder that every program folder points into, and two small file helpers.
#pragma once

#include "data/Paths.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The whole content of a file, or "<missing>" when it cannot be read.
inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Writes a file with exactly these bytes, replacing what was there.
inline void putFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Every program folder below a fresh temporary folder; the data folder exists.
class TempFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        initPaths(m_dir.path());
        QDir().mkpath(paths().dataFolder);
    }
    QTemporaryDir m_dir;
};
