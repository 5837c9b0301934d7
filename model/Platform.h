#pragma once
// The operating-system services the program uses, behind one seam for tests.
#include <QString>
#include <cstdint>
#include <optional>

namespace qv {

class Platform {
public:
    virtual ~Platform() = default;
    /// @brief Takes the named single-instance lock for the life of the process; false when
    /// another process holds it. The system releases it when the process dies.
    virtual bool acquireSingleInstance(const QString& name) = 0;
    /// @brief The user's desktop folder; empty when it cannot be resolved.
    virtual QString desktopPath() = 0;
    /// @brief Free bytes of the file system holding path; nullopt when unknown.
    virtual std::optional<uint64_t> diskFreeBytes(const QString& path) = 0;
    /// @brief The base directory with a trailing '/': QORVALE_BASE_DIR, else the program's folder
    /// when writable and not an installed copy's, else the per-user data folder.
    virtual QString baseDirectory() = 0;
    /// @brief Hands an address to the system's default handler; does not wait.
    virtual void openUrl(const QString& url) = 0;
};

/// The real services of this machine.
class SystemPlatform : public Platform {
public:
    bool acquireSingleInstance(const QString& name) override;
    QString desktopPath() override;
    std::optional<uint64_t> diskFreeBytes(const QString& path) override;
    QString baseDirectory() override;
    void openUrl(const QString& url) override;
private:
    int lockFd = -1;
};

Platform& platform();
/// @brief Installs an implementation (not owned); nullptr restores the system one.
void setPlatform(Platform* p);

} // namespace qv
