#include "net/ScReciverWindow.h"

#include <cmath>
#include <cstring>

#include "base/ExchangeTime.h"
#include "base/GlobalDefaults.h"
#include "base/Singleton.h"

namespace {

std::atomic<CScReciverWindow*> g_instance { nullptr };
std::atomic<CScReciverWindow::MessageBoxFunction> g_messageBox { nullptr };
std::atomic<DWORD> g_replyDeadline { 0 };

// Guarded by the singleton lock (read only while creating the provider).
std::string& LibraryPathOverride()
{
    static std::string path;
    return path;
}

const char kLoadFailureCaption[] = "cannot load library: SCStock.dll";
const ULONGLONG kExpiryScanInterval = 100;

void ShowSystemMessageBox(const char* caption)
{
    ::MessageBoxA(nullptr, "", caption, MB_OK);
}

std::string LibraryBesideProgram()
{
    std::vector<char> path(32768);
    const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0 || n >= path.size())
        return kScLibraryFileName;
    std::string dir(path.data(), n);
    const size_t slash = dir.find_last_of("\\/");
    if (slash == std::string::npos)
        return kScLibraryFileName;
    return dir.substr(0, slash + 1) + kScLibraryFileName;
}

uint32_t StockIndexKey(uint16_t market, uint16_t index)
{
    return static_cast<uint32_t>(market) << 16 | index;
}

template <class T> T ReadAt(const uint8_t* bytes, size_t offset = 0)
{
    T value;
    std::memcpy(&value, bytes + offset, sizeof(T));
    return value;
}

// Whether count records of recordSize fit after a head of headSize in length bytes.
bool CountFits(uint64_t count, size_t headSize, size_t recordSize, size_t length)
{
    return length >= headSize && count <= (length - headSize) / recordSize;
}

// A library value as the 32-bit word of a network record, truncated toward
// zero. The network's prices, volumes and amounts are unsigned, and the
// readers of a record take them so; a negative value keeps its signed form
// for them to refuse. False when the value has no 32-bit form (not finite,
// out of range).
bool Truncated(double value, int32_t& out)
{
    if (!std::isfinite(value) || value <= -2147483649.0 || value >= 4294967296.0)
        return false;
    const double whole = std::trunc(value);
    out = whole < 0 ? static_cast<int32_t>(whole) : static_cast<int32_t>(static_cast<uint32_t>(whole));
    return true;
}

class RecordWriter
{
public:
    void Put(int32_t value) { m_bytes.append(reinterpret_cast<const char*>(&value), sizeof(value)); }
    bool PutPrice(float price) { return PutScaled(static_cast<double>(price) * 1000.0); }
    bool PutCount(float count) { return PutScaled(static_cast<double>(count)); }
    bool PutAmount(float yuan) { return PutScaled(static_cast<double>(yuan) / 1000.0); }
    bool PutScaled(double value)
    {
        int32_t n;
        if (!Truncated(value, n))
            return false;
        Put(n);
        return true;
    }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

double Sum(const float (&values)[5])
{
    double sum = 0;
    for (float v : values)
        sum += v;
    return sum;
}

// The 116-byte tick header of a network tick reply, from a library snapshot.
bool PutTickHeader(RecordWriter& w, const ScSnapshot& s)
{
    w.Put(s.time);
    w.Put(0);
    bool ok = w.PutPrice(s.previousClose) && w.PutPrice(s.open) && w.PutPrice(s.high) && w.PutPrice(s.low)
        && w.PutPrice(s.last) && w.PutCount(s.volume) && w.PutAmount(s.amount);
    for (int i = 0; ok && i < 5; ++i)
        ok = w.PutPrice(s.bidPrices[i]);
    for (int i = 0; ok && i < 5; ++i)
        ok = w.PutCount(s.bidVolumes[i]);
    for (int i = 0; ok && i < 5; ++i)
        ok = w.PutPrice(s.askPrices[i]);
    for (int i = 0; ok && i < 5; ++i)
        ok = w.PutCount(s.askVolumes[i]);
    return ok;
}

// The 32-byte tick record of a network tick reply: the best prices and
// each side's total volume.
bool PutTick(RecordWriter& w, const ScTick& t)
{
    w.Put(t.time);
    return w.PutPrice(t.price) && w.PutCount(t.volume) && w.PutAmount(t.amount) && w.PutPrice(t.bidPrices[0])
        && w.PutScaled(Sum(t.bidVolumes)) && w.PutPrice(t.askPrices[0]) && w.PutScaled(Sum(t.askVolumes));
}

// The 28-byte bar record of a network bar reply.
bool PutBar(RecordWriter& w, const ScBar& b)
{
    w.Put(b.time);
    return w.PutPrice(b.open) && w.PutPrice(b.high) && w.PutPrice(b.low) && w.PutPrice(b.close)
        && w.PutCount(b.volume) && w.PutAmount(b.amount);
}

ScTick TickFromSnapshot(const ScSnapshot& s)
{
    ScTick t = {};
    t.time = s.time;
    t.price = s.last;
    t.volume = s.volume;
    t.amount = s.amount;
    std::memcpy(t.bidPrices, s.bidPrices, sizeof(t.bidPrices));
    std::memcpy(t.bidVolumes, s.bidVolumes, sizeof(t.bidVolumes));
    std::memcpy(t.askPrices, s.askPrices, sizeof(t.askPrices));
    std::memcpy(t.askVolumes, s.askVolumes, sizeof(t.askVolumes));
    return t;
}

// The bytes of a zero-terminated text in a field of size bytes, cut to at
// most maxBytes without splitting a double-byte character.
std::string BoundedText(const char* field, size_t size, size_t maxBytes)
{
    size_t n = 0;
    while (n < size && field[n])
        ++n;
    size_t cut = 0;
    while (cut < n) {
        const unsigned char c = static_cast<unsigned char>(field[cut]);
        const size_t step = (c >= 0x81 && c <= 0xFE && cut + 1 < n) ? 2 : 1;
        if (cut + step > maxBytes)
            break;
        cut += step;
    }
    return std::string(field, cut);
}

} // namespace

CScReciverWindow::CScReciverWindow()
{
}

CScReciverWindow::~CScReciverWindow()
{
    Shutdown();
}

CScReciverWindow* CScReciverWindow::Instance()
{
    CScReciverWindow* provider = g_instance.load(std::memory_order_acquire);
    if (provider)
        return provider;
    SingleLock lock(&SingletonLock());
    provider = g_instance.load(std::memory_order_relaxed);
    if (!provider) {
        provider = new (std::nothrow) CScReciverWindow();
        if (provider)
            provider->Init();
        g_instance.store(provider, std::memory_order_release);
    }
    return provider;
}

CScReciverWindow* CScReciverWindow::PeekInstance()
{
    return g_instance.load(std::memory_order_acquire);
}

void DestroyScReciverWindow()
{
    CScReciverWindow* provider = g_instance.load(std::memory_order_acquire);
    if (!provider)
        return;
    // Shut down while still published, without the singleton lock: the
    // receiver thread is joined here, and a callback that asks for the
    // provider meanwhile gets this one, which fails it at once.
    provider->Shutdown();
    SingleLock lock(&SingletonLock());
    if (g_instance.load(std::memory_order_relaxed) == provider) {
        g_instance.store(nullptr, std::memory_order_release);
        delete provider;
    }
}

UINT CScReciverWindow::ReplyMessage()
{
    static const UINT message = ::RegisterWindowMessageA(kScReplyMessageName);
    return message;
}

uint32_t CScReciverWindow::NextSerial(uint32_t& counter)
{
    ++counter;
    if (counter > 0x0FFFFFFF)
        counter = 1;
    return ++counter;
}

uint32_t CScReciverWindow::CodeKeyOf(uint16_t market, const char* code, size_t size)
{
    uint32_t key = 0;
    size_t digits = 0;
    for (; digits < size; ++digits) {
        const char c = code[digits];
        uint32_t d;
        if (c >= '0' && c <= '9')
            d = static_cast<uint32_t>(c - '0');
        else if (c >= 'A' && c <= 'F')
            d = static_cast<uint32_t>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            d = static_cast<uint32_t>(c - 'a' + 10);
        else
            break;
        if (digits == 6)
            return 0; // a seventh digit would reach the market byte
        key = key << 4 | d;
    }
    if (digits == 0)
        return 0;
    if (market == kScMarketShenzhen)
        key += 0x1000000;
    else if (market == kScMarketThird)
        key += 0x2000000;
    return key;
}

void CScReciverWindow::SetMessageBox(MessageBoxFunction show)
{
    g_messageBox = show;
}

void CScReciverWindow::SetLibraryPath(const std::string& path)
{
    SingleLock lock(&SingletonLock());
    LibraryPathOverride() = path;
}

void CScReciverWindow::SetReplyDeadline(DWORD milliseconds)
{
    g_replyDeadline = milliseconds;
}

void CScReciverWindow::Init()
{
    const UINT message = ReplyMessage();
    RECT none = { 0, 0, 0, 0 };
    Create(nullptr, none, "test", WS_POPUP);

    const std::string& path = LibraryPathOverride();
    m_dll.Init(path.empty() ? LibraryBesideProgram() : path);
    if (!m_dll.IsLoaded()) {
        MessageBoxFunction show = g_messageBox.load();
        (show ? show : &ShowSystemMessageBox)(kLoadFailureCaption);
        return;
    }
    ScInitPacket packet = {};
    packet.type = kScInit;
    packet.magic = kScInitMagic;
    packet.window = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(m_hWnd));
    packet.message = message;
    m_dll.SCInit(&packet, sizeof(packet));
}

void CScReciverWindow::Shutdown()
{
    {
        SingleLock lock(&m_requestLock);
        m_closing = true;
    }
    // The library posts nothing more once it has quit, and replies it
    // posted before die with the window, unread.
    m_dll.SCQuit();
    m_dll.Unload();
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    // Without a window (it could not be created, or it was destroyed from
    // elsewhere) the receiver may still run.
    m_receiving = false;
    Stop();
    FinishAll();
}

LRESULT CScReciverWindow::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    m_wake.Attach(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!m_wake.IsNull() && Start(false))
        m_receiving = true;
    return 0;
}

LRESULT CScReciverWindow::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    if (dc)
        ::TextOutA(dc, 0, 0, "AFAF", 4);
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

LRESULT CScReciverWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    {
        SingleLock lock(&m_requestLock);
        m_closing = true;
    }
    m_receiving = false;
    Stop();
    m_wake.Reset();
    FinishAll();
    handled = FALSE;
    return 0;
}

size_t CScReciverWindow::StockCount() const
{
    SingleLock lock(&m_requestLock);
    return m_stocks.size();
}

size_t CScReciverWindow::ParkedCount() const
{
    SingleLock lock(&m_requestLock);
    return m_parked.size();
}

int32_t CScReciverWindow::RequestSync(
    int32_t command, uint32_t, uint32_t value, uint32_t value2, CMemoryStream* out)
{
    if (command != kCmdCodeTable || !out)
        return 0;
    SingleLock lock(&m_requestLock);
    if (m_closing || m_stocks.empty())
        return 0;
    std::string bytes;
    bytes.reserve(8 + m_stocks.size() * 14);
    bytes.append(reinterpret_cast<const char*>(&value), 4);
    bytes.append(reinterpret_cast<const char*>(&value2), 4);
    for (const auto& entry : m_stocks) {
        const ScStockRecord& record = entry.second;
        bytes.append(reinterpret_cast<const char*>(&record.key), 4);
        std::string name = BoundedText(record.name, sizeof(record.name), 10);
        name.resize(10, '\0');
        bytes += name;
    }
    out->Clear();
    if (out->Write(bytes.data(), static_cast<int32_t>(bytes.size())) != static_cast<int32_t>(bytes.size()))
        return 0;
    out->Seek(0, 0);
    return 1;
}

int32_t CScReciverWindow::RequestAsync(int32_t command, uint32_t userData, uint32_t value, uint32_t value2,
    DownloadCallback callback, uintptr_t callbackArg)
{
    bool failNow = false;
    {
        SingleLock lock(&m_requestLock);
        const auto known = m_keys.find(userData);
        const bool askable = command == kCmdDayBars || command == kCmdFiveMinuteBars || command == kCmdTicks;
        if (m_closing || !askable || known == m_keys.end()) {
            PendingRequest failed;
            failed.userData = userData;
            failed.callback = callback;
            failed.callbackArg = callbackArg;
            if (m_receiving.load() && !m_closing)
                Complete(std::move(failed), false);
            else
                failNow = true;
        } else if (command == kCmdDayBars) {
            AskBars(kDayBarsKind, known->second, userData, value, value2, callback, callbackArg);
        } else if (command == kCmdFiveMinuteBars) {
            AskBars(kFiveMinuteBarsKind, known->second, userData, value, value2, callback, callbackArg);
        } else {
            AskTicks(known->second, userData, value, value2, callback, callbackArg);
        }
    }
    // Outside the lock, as every callback is called.
    if (failNow && callback)
        callback(userData, callbackArg, nullptr, 0);
    return 1;
}

void CScReciverWindow::AskBars(int32_t kind, uint32_t stockIndex, uint32_t userData, uint32_t value,
    uint32_t value2, DownloadCallback callback, uintptr_t callbackArg)
{
    ScBarRequestPacket packet = {};
    packet.type = kScBars;
    packet.one = 1;
    packet.serial = NextSerial(m_serial);
    packet.market = static_cast<uint16_t>(stockIndex >> 16);
    packet.index = static_cast<uint16_t>(stockIndex & 0xFFFF);
    if (kind == kDayBarsKind) {
        packet.barKind = kScDayBars;
        packet.from = value;
        packet.to = value2;
    } else {
        // The library takes the trading day's session, whatever was asked.
        const std::tm day = SplitExchangeTime(ServerTime::Get());
        const uint32_t date
            = static_cast<uint32_t>((day.tm_year + 1900) * 10000 + (day.tm_mon + 1) * 100 + day.tm_mday);
        packet.barKind = kScFiveMinuteBars;
        packet.from = PackStockDate(PackedDateTime(0, 0, 0, 9, 30), date);
        packet.to = PackStockDate(PackedDateTime(0, 0, 0, 15, 0), date);
    }

    PendingRequest request;
    request.kind = kind;
    request.userData = userData;
    request.serial = packet.serial;
    request.value = value;
    request.value2 = value2;
    request.stream.reset(new CMemoryStream());
    request.callback = callback;
    request.callbackArg = callbackArg;
    request.parkedAt = ::GetTickCount64();
    m_parked[packet.serial] = std::move(request);
    m_dll.SCAskData(&packet, sizeof(packet));
}

void CScReciverWindow::AskTicks(uint32_t stockIndex, uint32_t userData, uint32_t value, uint32_t value2,
    DownloadCallback callback, uintptr_t callbackArg)
{
    PendingRequest request;
    request.kind = kTicksKind;
    request.userData = userData;
    request.value = value;
    request.value2 = value2;
    request.callback = callback;
    request.callbackArg = callbackArg;

    const auto cached = m_tickCaches.find(stockIndex);
    if (cached != m_tickCaches.end()) {
        request.stream.reset(new CMemoryStream());
        const bool ok = WriteTickStream(cached->second, value, *request.stream);
        Complete(std::move(request), ok);
        return;
    }

    ScTickRequestPacket packet = {};
    packet.type = kScTicks;
    packet.one = 1;
    packet.serial = NextSerial(m_serial);
    packet.market = static_cast<uint16_t>(stockIndex >> 16);
    packet.index = static_cast<uint16_t>(stockIndex & 0xFFFF);
    packet.until = value2;
    request.serial = packet.serial;
    request.parkedAt = ::GetTickCount64();
    m_parked[packet.serial] = std::move(request);
    m_dll.SCAskData(&packet, sizeof(packet));
}

bool CScReciverWindow::WriteTickStream(const TickCache& cache, uint32_t after, CMemoryStream& stream)
{
    // Only the ticks after the series' last one, as the quote server sends
    // them: the series appends what it gets without looking for repeats.
    std::vector<const ScTick*> ticks;
    for (const ScTick& tick : cache.ticks) {
        if (tick.time > static_cast<int32_t>(after))
            ticks.push_back(&tick);
    }
    RecordWriter w;
    w.Put(ticks.empty() ? 0 : ticks.front()->time);
    w.Put(ticks.empty() ? 0 : ticks.back()->time);
    bool ok = PutTickHeader(w, cache.snapshot);
    for (size_t i = 0; ok && i < ticks.size(); ++i)
        ok = PutTick(w, *ticks[i]);
    if (!ok)
        return false;
    stream.Clear();
    const std::string& bytes = w.Bytes();
    if (stream.Write(bytes.data(), static_cast<int32_t>(bytes.size())) != static_cast<int32_t>(bytes.size()))
        return false;
    stream.Seek(0, 0);
    return true;
}

LRESULT CScReciverWindow::OnReply(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(lParam);
    const size_t length = static_cast<size_t>(wParam);
    if (!bytes || length < sizeof(ScReplyHead))
        return 0;
    const ScReplyHead head = ReadAt<ScReplyHead>(bytes);
    if (head.one != 1)
        return 0;
    SingleLock lock(&m_requestLock);
    switch (head.type) {
    case kScStockList:
        OnStockList(bytes, length);
        break;
    case kScSnapshots:
        OnSnapshots(bytes, length);
        break;
    case kScTicks:
        OnTicks(bytes, length);
        break;
    case kScBars:
        OnBars(bytes, length);
        break;
    default:
        break;
    }
    return 0;
}

void CScReciverWindow::OnStockList(const uint8_t* bytes, size_t length)
{
    if (length < sizeof(ScStockListHead))
        return;
    const ScStockListHead head = ReadAt<ScStockListHead>(bytes);
    // A list whose count the bytes do not hold is not taken: the market
    // keeps the stocks it had.
    if (head.count < 0
        || !CountFits(static_cast<uint64_t>(head.count), sizeof(head), sizeof(ScStockListEntry), length))
        return;
    const uint32_t first = StockIndexKey(head.market, 0);
    const uint32_t last = StockIndexKey(head.market, 0xFFFF);
    m_stocks.erase(m_stocks.lower_bound(first), m_stocks.upper_bound(last));
    // Positions may now name other stocks.
    m_tickCaches.erase(m_tickCaches.lower_bound(first), m_tickCaches.upper_bound(last));
    for (int16_t i = 0; i < head.count; ++i) {
        const ScStockListEntry entry = ReadAt<ScStockListEntry>(
            bytes, sizeof(head) + static_cast<size_t>(i) * sizeof(ScStockListEntry));
        ScStockRecord record = {};
        record.key = CodeKeyOf(head.market, entry.code, sizeof(entry.code));
        if (record.key == 0)
            continue;
        record.market = head.market;
        record.index = static_cast<uint16_t>(i);
        const std::string code = BoundedText(entry.code, sizeof(entry.code), sizeof(record.code) - 1);
        std::memcpy(record.code, code.data(), code.size());
        const std::string name = BoundedText(entry.name, sizeof(entry.name), sizeof(record.name) - 1);
        std::memcpy(record.name, name.data(), name.size());
        m_stocks[StockIndexKey(record.market, record.index)] = record;
    }
    m_keys.clear();
    for (const auto& stock : m_stocks)
        m_keys[stock.second.key] = stock.first;
}

void CScReciverWindow::OnSnapshots(const uint8_t* bytes, size_t length)
{
    if (length < sizeof(ScSnapshotHead))
        return;
    const ScSnapshotHead head = ReadAt<ScSnapshotHead>(bytes);
    if (head.count < 0
        || !CountFits(static_cast<uint64_t>(head.count), sizeof(head), sizeof(ScSnapshot), length))
        return;
    for (int16_t i = 0; i < head.count; ++i) {
        const ScSnapshot snapshot
            = ReadAt<ScSnapshot>(bytes, sizeof(head) + static_cast<size_t>(i) * sizeof(ScSnapshot));
        const uint32_t stockIndex = StockIndexKey(snapshot.market, snapshot.index);
        const auto stock = m_stocks.find(stockIndex);
        if (stock == m_stocks.end())
            continue;
        stock->second.snapshot = snapshot;
        const auto cached = m_tickCaches.find(stockIndex);
        if (cached == m_tickCaches.end())
            continue;
        TickCache& cache = cached->second;
        // A later snapshot that traded is the stock's next tick.
        if (snapshot.time > cache.snapshot.time
            && !(snapshot.last == cache.snapshot.last && snapshot.volume == cache.snapshot.volume)) {
            cache.ticks.push_back(TickFromSnapshot(snapshot));
            cache.snapshot = snapshot;
        }
    }
}

void CScReciverWindow::OnTicks(const uint8_t* bytes, size_t length)
{
    if (length < sizeof(ScTickHead))
        return;
    const ScTickHead head = ReadAt<ScTickHead>(bytes);
    const uint32_t stockIndex = StockIndexKey(head.market, head.index);
    const auto stock = m_stocks.find(stockIndex);
    if (!CountFits(head.count, sizeof(head), sizeof(ScTick), length) || stock == m_stocks.end()) {
        CompleteParked(head.head.serial, kTicksKind, false);
        return;
    }
    TickCache& cache = m_tickCaches[stockIndex];
    std::memcpy(cache.recordHead, &stock->second, sizeof(cache.recordHead));
    cache.snapshot = stock->second.snapshot;
    cache.ticks.resize(head.count);
    if (head.count)
        std::memcpy(
            cache.ticks.data(), bytes + sizeof(head), static_cast<size_t>(head.count) * sizeof(ScTick));

    const auto parked = m_parked.find(head.head.serial);
    if (parked == m_parked.end() || parked->second.kind != kTicksKind)
        return;
    PendingRequest& request = parked->second;
    bool ok = request.userData == stock->second.key;
    if (ok) {
        if (!request.stream)
            request.stream.reset(new CMemoryStream());
        ok = WriteTickStream(cache, request.value, *request.stream);
    }
    CompleteParked(head.head.serial, kTicksKind, ok);
}

void CScReciverWindow::OnBars(const uint8_t* bytes, size_t length)
{
    if (length < sizeof(ScBarHead))
        return;
    const ScBarHead head = ReadAt<ScBarHead>(bytes);
    const auto parked = m_parked.find(head.head.serial);
    if (parked == m_parked.end() || parked->second.kind == kTicksKind)
        return;
    PendingRequest& request = parked->second;
    const int32_t kind = request.kind;
    const uint16_t wantedKind = kind == kDayBarsKind ? kScDayBars : kScFiveMinuteBars;
    if (head.barKind != wantedKind || !CountFits(head.count, sizeof(head), sizeof(ScBar), length)) {
        CompleteParked(head.head.serial, kind, false);
        return;
    }
    RecordWriter w;
    const uint8_t* records = bytes + sizeof(head);
    w.Put(head.count ? ReadAt<ScBar>(records).time : 0);
    w.Put(head.count ? ReadAt<ScBar>(records, (head.count - 1) * sizeof(ScBar)).time : 0);
    bool ok = true;
    for (uint32_t i = 0; ok && i < head.count; ++i)
        ok = PutBar(w, ReadAt<ScBar>(records, static_cast<size_t>(i) * sizeof(ScBar)));
    if (ok) {
        if (!request.stream)
            request.stream.reset(new CMemoryStream());
        request.stream->Clear();
        const std::string& out = w.Bytes();
        ok = request.stream->Write(out.data(), static_cast<int32_t>(out.size()))
            == static_cast<int32_t>(out.size());
        request.stream->Seek(0, 0);
    }
    CompleteParked(head.head.serial, kind, ok);
}

void CScReciverWindow::CompleteParked(uint32_t serial, int32_t kind, bool ok)
{
    const auto parked = m_parked.find(serial);
    if (parked == m_parked.end() || parked->second.kind != kind)
        return;
    PendingRequest request = std::move(parked->second);
    m_parked.erase(parked);
    Complete(std::move(request), ok);
}

void CScReciverWindow::Complete(PendingRequest&& request, bool ok)
{
    request.ok = ok;
    if (!ok)
        request.stream.reset();
    {
        SingleLock lock(&m_completionLock);
        m_completed.push_back(std::move(request));
    }
    if (!m_wake.IsNull())
        ::SetEvent(m_wake);
}

void CScReciverWindow::Run()
{
    while (!IsStopRequested()) {
        ::WaitForSingleObject(m_wake, 10);
        DeliverCompleted();
        ExpireOverdue();
    }
}

void CScReciverWindow::DeliverCompleted()
{
    for (;;) {
        PendingRequest request;
        {
            SingleLock lock(&m_completionLock);
            if (m_completed.empty())
                return;
            request = std::move(m_completed.front());
            m_completed.pop_front();
        }
        Deliver(request);
    }
}

void CScReciverWindow::Deliver(PendingRequest& request)
{
    if (request.event) {
        ::SetEvent(request.event);
        return;
    }
    if (!request.callback)
        return;
    try {
        if (request.ok)
            request.callback(request.userData, request.callbackArg, request.stream.get(), 1);
        else
            request.callback(request.userData, request.callbackArg, nullptr, 0);
    } catch (...) {
        // One asker's failure does not keep the others from their answers.
    }
}

void CScReciverWindow::ExpireOverdue()
{
    const ULONGLONG now = ::GetTickCount64();
    if (now - m_lastExpiry < kExpiryScanInterval)
        return;
    m_lastExpiry = now;
    const DWORD configured = g_replyDeadline.load();
    const ULONGLONG deadline = configured ? configured : kDefaultReplyDeadline;
    SingleLock lock(&m_requestLock);
    // Read again under the lock: a request parked while this thread waited
    // for it must not look parked in the future.
    const ULONGLONG lockedNow = ::GetTickCount64();
    for (auto it = m_parked.begin(); it != m_parked.end();) {
        if (lockedNow - it->second.parkedAt >= deadline) {
            PendingRequest request = std::move(it->second);
            it = m_parked.erase(it);
            Complete(std::move(request), false);
        } else {
            ++it;
        }
    }
}

void CScReciverWindow::FinishAll()
{
    std::deque<PendingRequest> finished;
    {
        SingleLock lock(&m_requestLock);
        {
            SingleLock completionLock(&m_completionLock);
            finished.swap(m_completed);
        }
        for (auto& parked : m_parked) {
            parked.second.ok = false;
            parked.second.stream.reset();
            finished.push_back(std::move(parked.second));
        }
        m_parked.clear();
    }
    for (PendingRequest& request : finished)
        Deliver(request);
}
