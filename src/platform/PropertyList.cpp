#include "platform/PropertyList.h"

#include <plist/plist.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zembra::platform {

bool PlistNode::isDictionary() const
{
    return m_node && plist_get_node_type(plist_t(m_node)) == PLIST_DICT;
}

bool PlistNode::isArray() const
{
    return m_node && plist_get_node_type(plist_t(m_node)) == PLIST_ARRAY;
}

PlistNode PlistNode::item(const char *key) const
{
    if (!isDictionary())
        return PlistNode();
    return PlistNode(plist_dict_get_item(plist_t(m_node), key));
}

std::uint32_t PlistNode::count() const
{
    return isArray() ? plist_array_get_size(plist_t(m_node)) : 0;
}

PlistNode PlistNode::at(std::uint32_t index) const
{
    if (index >= count())
        return PlistNode();
    return PlistNode(plist_array_get_item(plist_t(m_node), index));
}

std::optional<QString> PlistNode::string() const
{
    if (!m_node || plist_get_node_type(plist_t(m_node)) != PLIST_STRING)
        return std::nullopt;
    // By pointer and length: plist_get_string_val() asserts on a string holding a NUL,
    // which malformed binary input can carry.
    std::uint64_t length = 0;
    const char *value = plist_get_string_ptr(plist_t(m_node), &length);
    if (!value || length > std::uint64_t(INT32_MAX))
        return std::nullopt;
    return QString::fromUtf8(value, qsizetype(length));
}

void PropertyList::Free::operator()(void *node) const { plist_free(plist_t(node)); }

PropertyList PropertyList::fromMemory(const QByteArray &data)
{
    PropertyList list;
    if (data.isEmpty() || data.size() > qsizetype(UINT32_MAX))
        return list;
    plist_t root = nullptr;
    plist_from_memory(data.constData(), uint32_t(data.size()), &root);
    list.m_root.reset(root);
    return list;
}

PropertyList PropertyList::fromFile(const std::filesystem::path &file)
{
    const std::optional<QByteArray> data = readSmallFile(file);
    return data ? fromMemory(*data) : PropertyList();
}

PropertyList PropertyList::adopt(void *node)
{
    PropertyList list;
    list.m_root.reset(node);
    return list;
}

bool PropertyList::setArray(const char *key, const std::vector<PlistNode> &items)
{
    if (!root().isDictionary())
        return false;
    plist_t array = plist_new_array();
    for (const PlistNode &n : items)
        plist_array_append_item(array, plist_copy(plist_t(n.raw())));
    plist_dict_set_item(plist_t(m_root.get()), key, array);
    return true;
}

QByteArray PropertyList::toXml() const
{
    if (!m_root)
        return {};
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(plist_t(m_root.get()), &xml, &length);
    if (!xml)
        return {};
    QByteArray out(xml, qsizetype(length));
    plist_to_xml_free(xml);
    return out;
}

std::optional<QByteArray> readSmallFile(const std::filesystem::path &file, std::uint64_t maxBytes)
{
    // Non-blocking, so that a FIFO in place of a property list cannot hang the caller.
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || std::uint64_t(st.st_size) > maxBytes) {
        close(fd);
        return std::nullopt;
    }
    QByteArray data;
    data.resize(qsizetype(st.st_size));
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = read(fd, data.data() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    close(fd);
    data.resize(done);
    return data;
}

bool writeFileAtomically(const std::filesystem::path &file, const QByteArray &data)
{
    std::string tmpl = (file.parent_path() / ("." + file.filename().native() + ".XXXXXX")).native();
    const int fd = mkstemp(tmpl.data());
    if (fd < 0)
        return false;
    bool ok = true;
    qsizetype done = 0;
    while (ok && done < data.size()) {
        const ssize_t n = write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            done += n;
    }
    struct stat original;
    const mode_t mode = stat(file.c_str(), &original) == 0 ? (original.st_mode & 07777) : 0644;
    ok = fchmod(fd, mode) == 0 && ok;
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (ok)
        ok = rename(tmpl.c_str(), file.c_str()) == 0;
    if (!ok)
        unlink(tmpl.c_str());
    return ok;
}

} // namespace zembra::platform
