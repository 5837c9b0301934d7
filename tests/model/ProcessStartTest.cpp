#include "ProcessStart.h"
#include "TestEnv.h"
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace qv;

TEST(ProcessStart, BaseDirectoryOfBuildTreeInstalledCopyAndReadOnlyFolder)
{
    const QString root = test::baseDir();
    const QString user = root + "home/.local/share/qorvale";
    // A build tree; a prefix laid out by the install rules; a prefix without the menu entry
    // (a bin folder that only holds a copied program); a folder the program may not write.
    test::writeFile(root + "build/app/qorvale", "x");
    test::writeFile(root + "prefix/bin/qorvale", "x");
    test::writeFile(root + "prefix/share/applications/qorvale.desktop", "[Desktop Entry]\n");
    test::writeFile(root + "copied/bin/qorvale", "x");
    QDir().mkpath(root + "locked");
    QFile::setPermissions(root + "locked", QFile::ReadOwner | QFile::ExeOwner);
    const bool rootUser = QFileInfo(root + "locked").isWritable(); // root writes anywhere

    EXPECT_EQ(chooseBaseDirectory(root + "override", root + "prefix/bin", user), root + "override");
    EXPECT_EQ(chooseBaseDirectory("", root + "build/app", user), root + "build/app");
    EXPECT_EQ(chooseBaseDirectory("", root + "prefix/bin", user), user);
    EXPECT_EQ(chooseBaseDirectory("", root + "prefix/bin/", user), user);
    EXPECT_EQ(chooseBaseDirectory("", root + "copied/bin", user), root + "copied/bin");
    EXPECT_EQ(chooseBaseDirectory("", "", user), user);
    if (!rootUser)
        EXPECT_EQ(chooseBaseDirectory("", root + "locked", user), user);
    QFile::setPermissions(root + "locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(ProcessStart, CommandLineBookFromPathOrFileAddress)
{
    const struct {
        QString argument, expected;
    } cases[] = {
        {"/home/a/book.qvb", "/home/a/book.qvb"},
        {"book.qvb", "/work/here/book.qvb"},
        {"../books/写真 集.qvb", "/work/books/写真 集.qvb"},
        {"file:///home/a/%E5%86%99%E7%9C%9F%20%E9%9B%86.qvb", "/home/a/写真 集.qvb"},
        {"file://localhost/home/a/book.qvb", "/home/a/book.qvb"},
        {"FILE:///home/a/book.qvb", "/home/a/book.qvb"},
        {"file://server/share/book.qvb", "file://server/share/book.qvb"},
        {"file:///home/a/100%25.qvb", "/home/a/100%.qvb"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(startupProjectPath(c.argument, "/work/here").toStdString(), c.expected.toStdString());
}
