#pragma once
// The bars of the current stock in the chart's period as the float arrays
// behind OPEN, HIGH, LOW, CLOSE, VOL and AMOUNT, and the numbers behind
// CAPITAL, PERIOD, ADVANCE and DECLINE. One belongs to each calculator, which
// binds it before a run; the arrays stay as fetched until the next fetch.
#include <cstdint>
#include <memory>

class CKData;
class CStock;

// What the source needs of the market beyond the stock itself.
class PriceSeriesMarket
{
public:
    virtual ~PriceSeriesMarket() { }
    // Rising, falling and unchanged quotes of the market of key; false when
    // there is no table to count.
    virtual bool CountUpDown(uint32_t key, int* rising, int* falling, int* unchanged) = 0;
};

// The quote table of the data center, when one exists (never creates it).
class DataCenterMarket : public PriceSeriesMarket
{
public:
    bool CountUpDown(uint32_t key, int* rising, int* falling, int* unchanged) override;
};

class PriceSeriesSource
{
public:
    // CAPITAL when the stock's circulating shares are not known.
    static constexpr double kDefaultCapital = 10000000.0;

    // market may be null: the data center's quote table. Not owned.
    explicit PriceSeriesSource(PriceSeriesMarket* market = nullptr);
    ~PriceSeriesSource();

    // Binds the stock's bar series of period (a ChartPeriod code, which also
    // becomes the stock's current period). 1 when the stock or its series
    // changed; 0 when nothing changed or stock is null (nothing bound then).
    int Bind(CStock* stock, int period);
    CStock* GetStock() const { return m_stock; }
    CKData* GetKData() const { return m_bars; }

    // A fresh copy of every bar's field (first and last are not used), in
    // the array of the same field's last fetch when that holds the bars (the
    // previous contents are gone either way); count receives the number of
    // bars. Null with count 0 when no series is bound. AMOUNT is the bar's
    // amount x 1000.
    float* GetClose(int first, int last, uint32_t* count);
    float* GetOpen(int first, int last, uint32_t* count);
    float* GetHigh(int first, int last, uint32_t* count);
    float* GetLow(int first, int last, uint32_t* count);
    float* GetVolume(int first, int last, uint32_t* count);
    float* GetAmount(int first, int last, uint32_t* count);

    // Circulating shares / 100, or kDefaultCapital.
    double GetCapital() const;
    // The PERIOD number of the stock's current chart period (5 without a stock).
    int GetFormulaPeriod() const;
    // The counts of the bound stock's market; false with all three 0 when
    // there is no stock or no table.
    bool GetAdvanceDecline(int* rising, int* falling, int* unchanged);
    // open <= close of the bar in the open and close arrays last fetched;
    // false outside them.
    bool IsRising(int index) const;

    // The PERIOD number of a chart period code.
    static int FormulaPeriodOf(int chartPeriod);

private:
    PriceSeriesSource(const PriceSeriesSource&) = delete;
    PriceSeriesSource& operator=(const PriceSeriesSource&) = delete;

    struct Array
    {
        std::unique_ptr<float[]> data;
        uint32_t count = 0;
        uint32_t capacity = 0;
    };
    template <class Field> float* Fetch(Array& array, uint32_t* count, Field field);

    PriceSeriesMarket* m_market;
    DataCenterMarket m_dataCenter;
    CStock* m_stock;
    CKData* m_bars;
    int32_t m_reserved;
    Array m_close;
    Array m_open;
    Array m_high;
    Array m_low;
    Array m_volume;
    Array m_amount;
};
