#pragma once

#include <QString>
#include <QStringList>

// A string list that sorts itself with the caller's comparison.
class CSortStringArray : public QStringList
{
public:
    using Compare = int (*)(const QString &, const QString &);

    CSortStringArray() = default;
    CSortStringArray(const QStringList &list) : QStringList(list) {}
    virtual ~CSortStringArray() = default;

    // Byte-wise comparison of the UTF-8 texts (the program's usual order).
    static int CompareBytes(const QString &a, const QString &b);
    // Sorts in place: compare gives negative, zero or positive.
    void Sort(Compare compare = &CompareBytes);
};
