#pragma once
// A platform with scripted desktop and free space; installs itself for its lifetime.
#include "Platform.h"
#include <QStringList>

namespace qv::test {

class FakePlatform : public Platform {
public:
    FakePlatform() { setPlatform(this); }
    ~FakePlatform() override { setPlatform(nullptr); }

    QString desktop = QStringLiteral("/home/user/Desktop");
    std::optional<uint64_t> freeBytes = uint64_t(50'000'000'000);
    QStringList askedForSpace;   // paths given to diskFreeBytes
    QStringList openedUrls;

    bool acquireSingleInstance(const QString&) override { return true; }
    QString desktopPath() override { return desktop; }
    std::optional<uint64_t> diskFreeBytes(const QString& path) override
    {
        askedForSpace << path;
        return freeBytes;
    }
    QString baseDirectory() override;
    void openUrl(const QString& url) override { openedUrls << url; }
};

} // namespace qv::test
