#pragma once
// Whole-file reads and writes for the settings tests.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

namespace ordalis::test {

inline QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

}  // namespace ordalis::test
