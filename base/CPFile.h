#pragma once
// Binary file over a low-level runtime descriptor.
#include <cstdint>
#include <string>

class CCPFile
{
public:
    // Open flags: bits 0-1 select the access.
    enum : uint32_t {
        kReadWithMarkCheck = 0, // reading; a byte-order mark is recognised
        kWrite = 1,
        kReadWrite = 2,
        kRead = 3, // reading without the mark check (binary data files)
        kAccessMask = 3,
        kCreate = 0x1000, // create; truncates unless kNoTruncate is set too
        kNoTruncate = 0x2000,
        kBinary = 0x8000, // ignored: every file is binary
    };

    CCPFile();
    virtual ~CCPFile();

    // 1 on success, 0 on failure (also when this object already holds a file).
    virtual int Open(const char* path, uint32_t flags);
    // The new position; -1 for an origin outside 0-2 or a closed file.
    virtual long Seek(long offset, int origin);
    virtual int Read(void* buffer, int count);
    virtual int Write(const void* buffer, int count);
    virtual void Close();
    virtual void Flush();
    virtual void Abort();
    // Commits the bytes to the disk and closes; false when either fails, so a
    // save can tell a write the system did not keep.
    bool CommitAndClose();
    virtual int Reserved(int, int, int, int) { return 0; }

    bool IsOpen() const { return m_fd >= 0; }
    int GetOpenFlag() const { return m_openFlag; }
    int GetCodePage() const { return m_codePage; }
    const std::string& GetFileName() const { return m_fileName; }
    // Size of the open file in bytes, -1 when closed.
    long GetLength() const;

private:
    CCPFile(const CCPFile&) = delete;
    CCPFile& operator=(const CCPFile&) = delete;

    int m_fd;
    int m_openFlag;
    std::string m_fileName;
    int m_codePage;
};

// Reads a whole file opened without the mark check; false when it cannot be
// opened or read completely. Files over maxBytes are refused.
bool ReadWholeFile(const char* path, std::string& out, long maxBytes = 256L * 1024 * 1024);

// Writes bytes to a temporary file beside the target (its name unique to this
// save), checks every write, and then replaces the target. A failure leaves
// the old file whole; concurrent saves of one file each leave it whole.
bool SaveFileReplacing(const char* path, const void* data, size_t size);
