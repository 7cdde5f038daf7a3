// Digits of numbers in texts and files: ASCII only, where QChar's own tests
// would also take the digits of other scripts.
#pragma once

#include <QChar>

// The value of c as a digit of base (up to 16, either case), or -1.
inline int digitValue(char16_t c, int base)
{
    int digit = base;
    if (c >= '0' && c <= '9')
        digit = c - '0';
    else if (c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
    return digit < base ? digit : -1;
}

inline int digitValue(QChar c, int base)
{
    return digitValue(c.unicode(), base);
}
