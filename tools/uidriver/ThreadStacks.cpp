#include "tools/uidriver/ThreadStacks.h"

#include <dbghelp.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <cxxabi.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <vector>

#include "base/HandleOwner.h"

namespace {

// Deeper frames are the message loop and the start of the program.
const int kMostFrames = 48;

std::vector<DWORD> ThreadsOf(DWORD processId)
{
    std::vector<DWORD> threads;
    CKernelHandle snapshot(OwnedFileHandle(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0)));
    if (snapshot.IsNull())
        return threads;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot.Get(), &entry); more; more = ::Thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID == processId)
            threads.push_back(entry.th32ThreadID);
    }
    return threads;
}

// The functions a module's COFF symbol table names (the table the mingw
// linker leaves in the image), by address relative to the image: names for
// modules whose debug information the platform's symbol handler cannot read.
class CoffFunctions
{
public:
    explicit CoffFunctions(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        Parse(bytes);
    }

    // The function holding rva and how far into it; false when none does.
    bool Find(DWORD rva, std::string& name, DWORD& offset) const
    {
        auto it = m_functions.upper_bound(rva);
        if (it == m_functions.begin())
            return false;
        --it;
        name = it->second;
        offset = rva - it->first;
        return true;
    }

private:
    template <class T> static bool ReadAt(const std::vector<char>& bytes, size_t at, T& out)
    {
        if (at > bytes.size() || bytes.size() - at < sizeof(T))
            return false;
        std::memcpy(&out, bytes.data() + at, sizeof(T));
        return true;
    }

    static std::string Demangled(const std::string& name)
    {
        int status = 0;
        std::unique_ptr<char, void (*)(void*)> plain(
            abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), &std::free);
        return status == 0 && plain ? std::string(plain.get()) : name;
    }

    void Parse(const std::vector<char>& bytes)
    {
        IMAGE_DOS_HEADER dos;
        DWORD signature = 0;
        IMAGE_FILE_HEADER header;
        if (!ReadAt(bytes, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0
            || !ReadAt(bytes, static_cast<size_t>(dos.e_lfanew), signature) || signature != IMAGE_NT_SIGNATURE
            || !ReadAt(bytes, static_cast<size_t>(dos.e_lfanew) + 4, header) || !header.PointerToSymbolTable)
            return;
        std::vector<IMAGE_SECTION_HEADER> sections(header.NumberOfSections);
        const size_t sectionsAt
            = static_cast<size_t>(dos.e_lfanew) + 4 + sizeof(IMAGE_FILE_HEADER) + header.SizeOfOptionalHeader;
        for (size_t i = 0; i < sections.size(); ++i) {
            if (!ReadAt(bytes, sectionsAt + i * sizeof(IMAGE_SECTION_HEADER), sections[i]))
                return;
        }
        const size_t symbolsAt = header.PointerToSymbolTable;
        const size_t stringsAt = symbolsAt + static_cast<size_t>(header.NumberOfSymbols) * IMAGE_SIZEOF_SYMBOL;
        for (DWORD i = 0; i < header.NumberOfSymbols; ++i) {
            IMAGE_SYMBOL symbol;
            if (!ReadAt(bytes, symbolsAt + static_cast<size_t>(i) * IMAGE_SIZEOF_SYMBOL, symbol))
                return;
            const DWORD aux = symbol.NumberOfAuxSymbols;
            const bool named = symbol.StorageClass == IMAGE_SYM_CLASS_EXTERNAL
                || symbol.StorageClass == IMAGE_SYM_CLASS_STATIC;
            if (named && symbol.SectionNumber > 0 && static_cast<size_t>(symbol.SectionNumber) <= sections.size()
                && (sections[static_cast<size_t>(symbol.SectionNumber) - 1].Characteristics & IMAGE_SCN_CNT_CODE)) {
                std::string name;
                if (symbol.N.Name.Short) {
                    name.assign(reinterpret_cast<const char*>(symbol.N.ShortName),
                        strnlen(reinterpret_cast<const char*>(symbol.N.ShortName), 8));
                } else {
                    const size_t at = stringsAt + symbol.N.Name.Long;
                    if (at < bytes.size())
                        name.assign(bytes.data() + at, strnlen(bytes.data() + at, bytes.size() - at));
                }
                if (!name.empty() && name[0] != '.')
                    m_functions.emplace(
                        sections[static_cast<size_t>(symbol.SectionNumber) - 1].VirtualAddress + symbol.Value,
                        Demangled(name));
            }
            i += aux;
        }
    }

    std::map<DWORD, std::string> m_functions;
};

// The COFF functions of every module met during one look, by module base.
typedef std::map<DWORD64, std::unique_ptr<CoffFunctions>> CoffModules;

bool FindInCoff(HANDLE process, DWORD64 address, CoffModules& modules, std::string& name, DWORD& offset)
{
    const DWORD64 base = ::SymGetModuleBase64(process, address);
    if (!base)
        return false;
    auto found = modules.find(base);
    if (found == modules.end()) {
        char path[MAX_PATH] = {};
        const DWORD length = ::GetModuleFileNameExA(
            process, reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(base)), path, MAX_PATH);
        found = modules.emplace(base, std::unique_ptr<CoffFunctions>(new CoffFunctions(length ? path : ""))).first;
    }
    return found->second->Find(static_cast<DWORD>(address - base), name, offset);
}

// "function+0x12 (file.cpp:34) [module]" as far as the symbols tell.
std::string DescribeAddress(HANDLE process, DWORD64 address, CoffModules& modules)
{
    char line[1024];
    std::snprintf(line, sizeof(line), "0x%llx", static_cast<unsigned long long>(address));
    std::string text = line;

    union {
        SYMBOL_INFO info;
        char bytes[sizeof(SYMBOL_INFO) + 512];
    } symbol = {};
    symbol.info.SizeOfStruct = sizeof(SYMBOL_INFO);
    symbol.info.MaxNameLen = 512;
    DWORD64 displacement = 0;
    std::string name;
    DWORD offset = 0;
    if (::SymFromAddr(process, address, &displacement, &symbol.info)) {
        std::snprintf(line, sizeof(line), " %s+0x%llx", symbol.info.Name, static_cast<unsigned long long>(displacement));
        text += line;
    } else if (FindInCoff(process, address, modules, name, offset)) {
        std::snprintf(line, sizeof(line), "+0x%lx", static_cast<unsigned long>(offset));
        text += " " + name + line;
    }
    IMAGEHLP_LINE64 source = {};
    source.SizeOfStruct = sizeof(source);
    DWORD column = 0;
    if (::SymGetLineFromAddr64(process, address, &column, &source) && source.FileName) {
        std::snprintf(line, sizeof(line), " (%s:%lu)", source.FileName, static_cast<unsigned long>(source.LineNumber));
        text += line;
    }
    IMAGEHLP_MODULE64 module = {};
    module.SizeOfStruct = sizeof(module);
    if (::SymGetModuleInfo64(process, address, &module)) {
        text += " [";
        text += module.ModuleName;
        text += "]";
    }
    return text;
}

std::string WalkStack(HANDLE process, HANDLE thread, const std::string& indent, CoffModules& modules)
{
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_FULL;
    if (!::GetThreadContext(thread, &context))
        return indent + "(its registers cannot be read)\n";
    STACKFRAME64 frame = {};
#ifdef _WIN64
    const DWORD machine = IMAGE_FILE_MACHINE_AMD64;
    frame.AddrPC.Offset = context.Rip;
    frame.AddrFrame.Offset = context.Rbp;
    frame.AddrStack.Offset = context.Rsp;
#else
    const DWORD machine = IMAGE_FILE_MACHINE_I386;
    frame.AddrPC.Offset = context.Eip;
    frame.AddrFrame.Offset = context.Ebp;
    frame.AddrStack.Offset = context.Esp;
#endif
    frame.AddrPC.Mode = AddrModeFlat;
    frame.AddrFrame.Mode = AddrModeFlat;
    frame.AddrStack.Mode = AddrModeFlat;
    std::string text;
    for (int i = 0; i < kMostFrames; ++i) {
        if (!::StackWalk64(machine, process, thread, &frame, &context, nullptr, &::SymFunctionTableAccess64,
                &::SymGetModuleBase64, nullptr)
            || !frame.AddrPC.Offset)
            break;
        text += indent + DescribeAddress(process, frame.AddrPC.Offset, modules) + "\n";
    }
    return text.empty() ? indent + "(no frames)\n" : text;
}

std::string StackOfSuspended(HANDLE process, DWORD threadId, const std::string& indent, CoffModules& modules)
{
    CKernelHandle thread(
        ::OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE, threadId));
    if (thread.IsNull())
        return indent + "(the thread cannot be opened)\n";
    if (::SuspendThread(thread.Get()) == static_cast<DWORD>(-1))
        return indent + "(the thread cannot be suspended)\n";
    const std::string text = WalkStack(process, thread.Get(), indent, modules);
    ::ResumeThread(thread.Get());
    return text;
}

// The symbol handler for one look at the process.
class SymbolSession
{
public:
    explicit SymbolSession(HANDLE process)
        : m_process(process)
    {
        ::SymSetOptions(SYMOPT_UNDNAME | SYMOPT_DEFERRED_LOADS | SYMOPT_LOAD_LINES);
        m_ready = ::SymInitialize(process, nullptr, TRUE) != FALSE;
    }
    ~SymbolSession()
    {
        if (m_ready)
            ::SymCleanup(m_process);
    }
    SymbolSession(const SymbolSession&) = delete;
    SymbolSession& operator=(const SymbolSession&) = delete;

private:
    HANDLE m_process;
    bool m_ready = false;
};

} // namespace

std::string ThreadStack(HANDLE process, DWORD threadId, const std::string& indent)
{
    SymbolSession symbols(process);
    CoffModules modules;
    return StackOfSuspended(process, threadId, indent, modules);
}

std::string AllThreadStacks(HANDLE process, DWORD processId, DWORD firstThreadId)
{
    SymbolSession symbols(process);
    CoffModules modules;
    std::vector<DWORD> threads = ThreadsOf(processId);
    std::string text;
    auto add = [&](DWORD id, const char* role) {
        text += "    thread " + std::to_string(id) + role + ":\n" + StackOfSuspended(process, id, "      ", modules);
    };
    add(firstThreadId, " (the UI thread)");
    for (DWORD id : threads) {
        if (id != firstThreadId)
            add(id, "");
    }
    return text;
}
