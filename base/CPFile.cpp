#include "base/CPFile.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <mutex>

#include "base/UnicodeString.h"

CCPFile::CCPFile()
    : m_fd(-1)
    , m_openFlag(0)
    , m_codePage(0)
{
}

CCPFile::~CCPFile()
{
    if (m_fd >= 0 && m_openFlag)
        Abort();
    else if (m_fd >= 0)
        Close();
}

int CCPFile::Open(const char* path, uint32_t flags)
{
    if (m_fd >= 0 || !path)
        return 0;
    int oflag = _O_BINARY;
    const uint32_t access = flags & kAccessMask;
    switch (access) {
    case kWrite:
        oflag |= _O_WRONLY;
        break;
    case kReadWrite:
        oflag |= _O_RDWR;
        break;
    default:
        oflag |= _O_RDONLY;
        break;
    }
    if (flags & kCreate) {
        oflag |= _O_CREAT;
        if (!(flags & kNoTruncate))
            oflag |= _O_TRUNC;
    }
    int fd = _wopen(GbkToWide(path).c_str(), oflag, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return 0;
    m_codePage = 0;
    if (access == kReadWithMarkCheck) {
        unsigned char head[4];
        if (_read(fd, head, 4) != 4) {
            _close(fd);
            return 0;
        }
        const uint16_t word = static_cast<uint16_t>(head[0] | (head[1] << 8));
        int markLength = 0;
        if (head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
            m_codePage = 65001;
            markLength = 3;
        } else if (word == 0xFEFF) {
            m_codePage = 1200;
            markLength = 2;
        } else if (word == 0xFFFE) {
            m_codePage = 1201;
            markLength = 2;
        }
        // Text starts right after its mark, whatever the mark's length.
        _lseek(fd, markLength, SEEK_SET);
    }
    m_fd = fd;
    m_openFlag = 1;
    m_fileName = path;
    return 1;
}

long CCPFile::Seek(long offset, int origin)
{
    if (m_fd < 0 || origin < 0 || origin > 2)
        return -1;
    return _lseek(m_fd, offset, origin);
}

int CCPFile::Read(void* buffer, int count)
{
    if (count == 0)
        return 0;
    if (m_fd < 0 || count < 0 || !buffer)
        return -1;
    return _read(m_fd, buffer, static_cast<unsigned>(count));
}

int CCPFile::Write(const void* buffer, int count)
{
    if (count == 0)
        return 0;
    if (m_fd < 0 || count < 0 || !buffer)
        return -1;
    return _write(m_fd, buffer, static_cast<unsigned>(count));
}

void CCPFile::Close()
{
    if (m_fd >= 0)
        _close(m_fd);
    m_fd = -1;
    m_fileName.clear();
}

void CCPFile::Flush()
{
    if (m_fd >= 0)
        _commit(m_fd);
}

void CCPFile::Abort()
{
    if (m_fd >= 0)
        _close(m_fd);
    m_fd = -1;
    m_openFlag = 0;
    m_fileName.clear();
}

bool CCPFile::CommitAndClose()
{
    if (m_fd < 0)
        return false;
    const bool committed = _commit(m_fd) == 0;
    const bool closed = _close(m_fd) == 0;
    m_fd = -1;
    m_openFlag = 0;
    m_fileName.clear();
    return committed && closed;
}

long CCPFile::GetLength() const
{
    if (m_fd < 0)
        return -1;
    return _filelength(m_fd);
}

bool ReadWholeFile(const char* path, std::string& out, long maxBytes)
{
    CCPFile file;
    if (!file.Open(path, CCPFile::kRead))
        return false;
    const long length = file.GetLength();
    if (length < 0 || length > maxBytes)
        return false;
    std::string data(static_cast<size_t>(length), '\0');
    long done = 0;
    while (done < length) {
        int n = file.Read(&data[done], static_cast<int>(length - done));
        if (n <= 0)
            return false;
        done += n;
    }
    out.swap(data);
    return true;
}

bool SaveFileReplacing(const char* path, const void* data, size_t size)
{
    if (!path || (!data && size))
        return false;
    // A name of its own for every save: two saves of one file (a late reply's
    // and the cache thread's) must never write through the same temporary.
    static std::atomic<uint32_t> saves(0);
    char unique[40];
    std::snprintf(unique, sizeof(unique), ".%lx.%lx.tmp", static_cast<unsigned long>(::GetCurrentProcessId()),
        static_cast<unsigned long>(++saves));
    std::string temp = std::string(path) + unique;
    {
        CCPFile file;
        if (!file.Open(temp.c_str(), CCPFile::kWrite | CCPFile::kCreate))
            return false;
        const char* bytes = static_cast<const char*>(data);
        size_t done = 0;
        while (done < size) {
            const size_t chunk = size - done > 0x40000000u ? 0x40000000u : size - done;
            int n = file.Write(bytes + done, static_cast<int>(chunk));
            if (n <= 0) {
                file.Abort();
                ::DeleteFileW(GbkToWide(temp).c_str());
                return false;
            }
            done += static_cast<size_t>(n);
        }
        if (!file.CommitAndClose()) {
            ::DeleteFileW(GbkToWide(temp).c_str());
            return false;
        }
    }
    const std::wstring wideTemp = GbkToWide(temp);
    // Two replacements of one target at the same moment can make one of them
    // fail; they take turns. A leaf lock: nothing else is taken under it.
    static std::mutex replacing;
    std::unique_lock<std::mutex> turn(replacing);
    if (!::MoveFileExW(wideTemp.c_str(), GbkToWide(path).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ::DeleteFileW(wideTemp.c_str());
        return false;
    }
    return true;
}
