// Transport benchmark: requests per second through the request manager and
// its worker pool against the in-process quote simulator on loopback, for
// small replies and for 1 MiB zlib replies, each beside a bare Winsock loop
// (as many threads, each doing connect, send, receive and close against the
// same simulator with the same replies, and inflating a compressed body as
// the pool does, into a buffer it keeps) as the yardstick; then the latency
// of one request, asynchronous against synchronous.
// On a shared machine one run of each proves little: every figure is taken
// in several rounds, the pool and the raw loop back to back in alternating
// order, and the median ratio is given with its range; the two latencies are
// sampled in turns.
//   bench_transport [requests] [rounds]     (requests a round, default 200, of
//                                            which the 1 MiB figure runs a quarter;
//                                            rounds default 11)
#include <winsock2.h>
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/MemoryStream.h"
#include "net/DownLoaderManager.h"
#include "net/DownloadRequestQueue.h"
#include "net/QuoteProtocol.h"
#include "net/WinsockSession.h"
#include "tools/quotesim/QuoteSimulator.h"

namespace {

// Requests waiting in the queue at once; below its 16 so none is dropped.
const int kWindow = 12;

struct Completion
{
    std::mutex mutex;
    std::condition_variable changed;
    int done = 0;
    int failed = 0;
    std::vector<LARGE_INTEGER> finishedAt;
};

void OnComplete(uint32_t userData, uintptr_t arg, CMemoryStream*, int32_t ok)
{
    Completion* c = reinterpret_cast<Completion*>(arg);
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    std::lock_guard<std::mutex> lock(c->mutex);
    if (userData < c->finishedAt.size())
        c->finishedAt[userData] = now;
    ++c->done;
    if (!ok)
        ++c->failed;
    c->changed.notify_all();
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER freq;
    ::QueryPerformanceFrequency(&freq);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

// Bar-like records: compressible as real market data is, not a constant fill.
std::string MarketLikeBody(size_t bytes)
{
    std::string body;
    body.reserve(bytes);
    uint32_t price = 10000;
    uint32_t seed = 7;
    while (body.size() < bytes) {
        seed = seed * 1103515245u + 12345u;
        price += (seed >> 16) % 21;
        price -= 10;
        const uint32_t record[7] = { 1262304000u + static_cast<uint32_t>(body.size()), price, price + 30,
            price - 25, price + 5, (seed >> 8) % 100000, (seed >> 4) % 1000000 };
        body.append(reinterpret_cast<const char*>(record), sizeof(record));
    }
    body.resize(bytes);
    return body;
}

bool RecvExactly(SOCKET s, char* buffer, int length)
{
    while (length > 0) {
        const int got = ::recv(s, buffer, length, 0);
        if (got <= 0)
            return false;
        buffer += got;
        length -= got;
    }
    return true;
}

// What the least client keeps between replies: the received body and, for a
// compressed one, the inflated bytes and zlib's state.
struct RawBuffers
{
    RawBuffers() { inflateInit(&zs); }
    ~RawBuffers() { inflateEnd(&zs); }
    RawBuffers(const RawBuffers&) = delete;
    RawBuffers& operator=(const RawBuffers&) = delete;

    std::vector<char> body;
    std::vector<char> inflated;
    z_stream zs {};
};

// Inflates the whole body in one pass into the kept buffer, growing it as the
// output needs; false when the stream is not whole.
bool RawInflate(RawBuffers& buffers, uint32_t length)
{
    z_stream& zs = buffers.zs;
    if (inflateReset(&zs) != Z_OK)
        return false;
    if (buffers.inflated.empty())
        buffers.inflated.resize(1 << 16);
    zs.next_in = reinterpret_cast<Bytef*>(buffers.body.data());
    zs.avail_in = length;
    size_t produced = 0;
    for (;;) {
        zs.next_out = reinterpret_cast<Bytef*>(buffers.inflated.data() + produced);
        zs.avail_out = static_cast<uInt>(buffers.inflated.size() - produced);
        const int rc = inflate(&zs, Z_NO_FLUSH);
        produced = buffers.inflated.size() - zs.avail_out;
        if (rc == Z_STREAM_END)
            return produced > 0;
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            return false;
        if (zs.avail_out != 0)
            return false; // the input ended early
        buffers.inflated.resize(buffers.inflated.size() * 2);
    }
}

// One bare exchange: the least any client must do for one reply.
bool RawExchange(uint16_t port, uint32_t key, RawBuffers& buffers)
{
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return false;
    sockaddr_in addr;
    std::memset(&addr, 0, sizeof(addr));
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = ::inet_addr("127.0.0.1");
    addr.sin_port = ::htons(port);
    BOOL noDelay = TRUE;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
    QuoteRequestHeader request;
    std::memset(&request, 0, sizeof(request));
    request.userData = key;
    request.command = 0x301;
    QuoteReplyHeader reply;
    bool ok = ::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0
        && ::send(s, reinterpret_cast<const char*>(&request), sizeof(request), 0) == sizeof(request)
        && RecvExactly(s, reinterpret_cast<char*>(&reply), sizeof(reply)) && reply.bodyLength > 0
        && reply.bodyLength <= kMaxQuoteReplyBody;
    if (ok) {
        if (buffers.body.size() < reply.bodyLength)
            buffers.body.resize(reply.bodyLength);
        ok = RecvExactly(s, buffers.body.data(), static_cast<int>(reply.bodyLength));
    }
    ::closesocket(s);
    if (ok && reply.compression == kCompressionZlib)
        ok = RawInflate(buffers, reply.bodyLength);
    return ok;
}

struct Rate
{
    double perSecond = 0.0;
    int failed = 0;
};

// Each raw thread keeps its buffers from round to round, as each worker of
// the pool keeps its client.
typedef std::vector<std::unique_ptr<RawBuffers>> RawThreadBuffers;

Rate RawThroughput(uint16_t port, RawThreadBuffers& kept, int requests)
{
    WinsockSession winsock;
    const int threads = static_cast<int>(kept.size());
    std::atomic<int> next { 0 };
    std::atomic<int> failed { 0 };
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    ::QueryPerformanceCounter(&start);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
            RawBuffers& buffers = *kept[t];
            for (int i; (i = next++) < requests;) {
                if (!RawExchange(port, static_cast<uint32_t>(i), buffers))
                    ++failed;
            }
        });
    }
    for (std::thread& t : pool)
        t.join();
    ::QueryPerformanceCounter(&end);
    return Rate { requests / Seconds(start, end), failed.load() };
}

Rate PoolThroughput(CDownLoaderManager& manager, int requests)
{
    Completion c;
    c.finishedAt.resize(requests);
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    ::QueryPerformanceCounter(&start);
    for (int i = 0; i < requests; ++i) {
        {
            std::unique_lock<std::mutex> lock(c.mutex);
            c.changed.wait(lock, [&] { return i - c.done < kWindow; });
        }
        manager.RequestAsync(
            0x301, static_cast<uint32_t>(i), 0, 0, &OnComplete, reinterpret_cast<uintptr_t>(&c));
    }
    {
        std::unique_lock<std::mutex> lock(c.mutex);
        c.changed.wait(lock, [&] { return c.done == requests; });
    }
    ::QueryPerformanceCounter(&end);
    return Rate { requests / Seconds(start, end), c.failed };
}

int PoolSize()
{
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return static_cast<int>(info.dwNumberOfProcessors) + 1;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The value a quarter (three quarters) of the way up the sorted values.
double Quartile(std::vector<double> values, int which)
{
    std::sort(values.begin(), values.end());
    return values[(values.size() - 1) * which / 4];
}

void PrintSpread(const char* what, const std::vector<double>& values, const char* unit)
{
    std::printf("  %-22s median %7.1f%s, middle half %.1f-%.1f%s, range %.1f-%.1f%s\n", what, Median(values), unit,
        Quartile(values, 1), Quartile(values, 3), unit, *std::min_element(values.begin(), values.end()),
        *std::max_element(values.begin(), values.end()), unit);
}

// Rounds of the pool and the raw loop back to back, the order alternating so
// that neither always meets the machine first; the ratio is taken per round.
void Compare(const char* what, uint16_t port, int requests, int rounds)
{
    // The program's pool lives as long as the login: started once, as there.
    CDownLoaderManager manager("127.0.0.1", port);
    const int threads = PoolSize();
    std::printf("%s: %d requests a round, %u workers, raw loop on %d threads\n", what, requests,
        static_cast<unsigned>(manager.WorkerCount()), threads);
    RawThreadBuffers kept;
    for (int t = 0; t < threads; ++t)
        kept.emplace_back(new RawBuffers);
    // Both sides' first exchanges (buffers, connections, threads) are not timed.
    RawThroughput(port, kept, 2 * threads);
    PoolThroughput(manager, 2 * threads);
    std::vector<double> pool;
    std::vector<double> raw;
    std::vector<double> ratio;
    for (int round = 0; round < rounds; ++round) {
        Rate p;
        Rate r;
        if (round % 2 == 0) {
            r = RawThroughput(port, kept, requests);
            p = PoolThroughput(manager, requests);
        } else {
            p = PoolThroughput(manager, requests);
            r = RawThroughput(port, kept, requests);
        }
        pool.push_back(p.perSecond);
        raw.push_back(r.perSecond);
        ratio.push_back(100.0 * p.perSecond / r.perSecond);
        std::printf("  round %d: pool %8.1f/s, raw loop %8.1f/s, pool / raw loop %5.1f %%%s\n", round + 1,
            p.perSecond, r.perSecond, ratio.back(), p.failed || r.failed ? " (failures)" : "");
        if (p.failed || r.failed)
            std::printf("  failed: pool %d, raw loop %d\n", p.failed, r.failed);
    }
    PrintSpread("pool, requests/s", pool, "");
    PrintSpread("raw loop, requests/s", raw, "");
    PrintSpread("pool / raw loop", ratio, " %");
}

// The two kinds of request in turns (which goes first alternating), so that
// both meet the same moments of a busy machine.
void Latency(uint16_t port, int samples)
{
    CDownLoaderManager manager("127.0.0.1", port);
    std::vector<double> async;
    std::vector<double> sync;
    CMemoryStream out;
    auto asyncOne = [&] {
        Completion c;
        c.finishedAt.resize(1);
        LARGE_INTEGER start;
        ::QueryPerformanceCounter(&start);
        manager.RequestAsync(0x301, 0, 0, 0, &OnComplete, reinterpret_cast<uintptr_t>(&c));
        std::unique_lock<std::mutex> lock(c.mutex);
        c.changed.wait(lock, [&] { return c.done == 1; });
        async.push_back(Seconds(start, c.finishedAt[0]) * 1000.0);
    };
    auto syncOne = [&] {
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        ::QueryPerformanceCounter(&start);
        manager.RequestSync(0x301, 0, 0, 0, &out);
        ::QueryPerformanceCounter(&end);
        sync.push_back(Seconds(start, end) * 1000.0);
    };
    for (int i = 0; i < samples; ++i) {
        if (i % 2 == 0) {
            asyncOne();
            syncOne();
        } else {
            syncOne();
            asyncOne();
        }
    }
    const double asyncMedian = Median(async);
    const double syncMedian = Median(sync);
    std::printf("latency of one small request, %d samples each, in turns:\n", samples);
    PrintSpread("asynchronous, ms", async, "");
    PrintSpread("synchronous, ms", sync, "");
    std::printf("  asynchronous (through queue and worker pool) / synchronous median: %.2fx\n",
        asyncMedian / syncMedian);
}

} // namespace

int main(int argc, char** argv)
{
    const int requests = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 11;
    QuoteSimulator sim;
    if (!sim.Start(0)) {
        std::fprintf(stderr, "cannot start the quote simulator\n");
        return 1;
    }
    std::string body = MarketLikeBody(200);
    sim.SetHandler(0x301, [&body](const SimRequest& r) {
        SimReply reply;
        reply.value = r.value;
        reply.value2 = r.value2;
        reply.body = body;
        return reply;
    });

    sim.SetCompression(0);
    Compare("small replies (200 B)", sim.Port(), requests, rounds);

    body = MarketLikeBody(1 << 20);
    sim.SetCompression(1);
    Compare("1 MiB zlib replies", sim.Port(), std::max(1, requests / 4), rounds);

    body = MarketLikeBody(200);
    sim.SetCompression(0);
    Latency(sim.Port(), 20 * rounds + 1);
    sim.Stop();
    DownloadRequestQueue::Global().CancelAll();
    return 0;
}
