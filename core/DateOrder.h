#pragma once

// How a date such as 03/04/2026 is read: the 3rd of April (day first) or March the 4th (month first).
enum class DateOrder { Unknown, DayFirst, MonthFirst };
