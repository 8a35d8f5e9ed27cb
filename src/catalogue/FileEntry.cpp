#include "catalogue/FileEntry.h"

#include "platform/FileSystem.h"

namespace zembra {

const std::filesystem::path &FileEntry::path() const {
    static const std::filesystem::path kNone;
    return isFileURL() ? std::get<std::filesystem::path>(m_value) : kNone;
}

QString FileEntry::absoluteString() const {
    return isFileURL() ? platform::displayPath(std::get<std::filesystem::path>(m_value))
                       : std::get<QString>(m_value);
}

} // namespace zembra
