#include "CSortStringArray.h"

#include <algorithm>

int CSortStringArray::CompareBytes(const QString &a, const QString &b)
{
    const int c = a.toUtf8().compare(b.toUtf8());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void CSortStringArray::Sort(Compare compare)
{
    if (!compare)
        compare = &CompareBytes;
    std::stable_sort(begin(), end(), [compare](const QString &a, const QString &b) { return compare(a, b) < 0; });
}
