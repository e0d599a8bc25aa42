#include "privatefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <aclapi.h>

#include <string>
#include <vector>
#endif

namespace parlevo {

#ifdef Q_OS_WIN

namespace {

// The user the process runs as, in buffer (which holds the TOKEN_USER).
PSID currentUser(std::vector<char> &buffer)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return nullptr;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    buffer.resize(size);
    const bool read = size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    return read ? reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid : nullptr;
}

std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdWString();
}

} // namespace

bool makeOwnerOnly(const QString &path)
{
    std::vector<char> buffer;
    const PSID user = currentUser(buffer);
    if (!user)
        return false;
    EXPLICIT_ACCESSW access = {};
    access.grfAccessPermissions = GENERIC_ALL;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = QFileInfo(path).isDir() ? SUB_CONTAINERS_AND_OBJECTS_INHERIT : NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_USER;
    access.Trustee.ptstrName = static_cast<LPWSTR>(user);
    PACL acl = nullptr;
    if (SetEntriesInAclW(1, &access, nullptr, &acl) != ERROR_SUCCESS)
        return false;
    // Protected: the entries the folder above would pass on (Users, Everyone) are not inherited.
    // SetFileSecurityW takes the descriptor as it stands, where SetNamedSecurityInfoW may merge the
    // folder's inheritable entries back in (Wine does, whatever the flag says).
    SECURITY_DESCRIPTOR descriptor;
    const bool built = InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                       SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) &&
                       SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    const std::wstring native = nativePath(path);
    const bool result =
        built &&
        SetFileSecurityW(native.c_str(), DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, &descriptor);
    LocalFree(acl);
    return result;
}

bool isOwnerOnly(const QString &path)
{
    std::vector<char> buffer;
    const PSID user = currentUser(buffer);
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::wstring native = nativePath(path);
    if (!user || GetNamedSecurityInfoW(native.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl,
                                       nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    // No list at all would let everyone in; every entry that allows must name the user.
    bool ownerOnly = acl != nullptr;
    for (WORD i = 0; ownerOnly && i < acl->AceCount; ++i) {
        void *entry = nullptr;
        if (!GetAce(acl, i, &entry)) {
            ownerOnly = false;
        } else if (static_cast<ACE_HEADER *>(entry)->AceType == ACCESS_ALLOWED_ACE_TYPE) {
            // The system itself may be named too (Wine always names it): it is no other person.
            auto *allowed = static_cast<ACCESS_ALLOWED_ACE *>(entry);
            const PSID named = reinterpret_cast<PSID>(&allowed->SidStart);
            ownerOnly = EqualSid(named, user) || IsWellKnownSid(named, WinLocalSystemSid);
        }
    }
    LocalFree(descriptor);
    return ownerOnly;
}

#else

bool makeOwnerOnly(const QString &path)
{
    QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (QFileInfo(path).isDir())
        owner |= QFileDevice::ExeOwner;
    return QFile::setPermissions(path, owner);
}

bool isOwnerOnly(const QString &path)
{
    constexpr QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileInfo info(path);
    return info.exists() && !(info.permissions() & others);
}

#endif

} // namespace parlevo
