#pragma once
// Calendar fields of market times, always in exchange time (UTC+8).
#include <cstdint>

// The date as yyyymmdd.
int32_t DayKey(int32_t time);
bool SameTradingDay(int32_t a, int32_t b);
bool SameMinute(int32_t a, int32_t b);
// 1 for the day-based chart periods 6 to 10, else 0.
int IsDayBasedPeriod(int period);
int YearOfTime(int32_t time);
int MonthOfTime(int32_t time); // 1 to 12
int DayOfTime(int32_t time);
int HourOfTime(int32_t time);
int MinuteOfTime(int32_t time);
