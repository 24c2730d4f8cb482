#pragma once

#include <cstddef>
#include <cstdint>

#include <sys/mman.h>

// Asks for huge pages under a large buffer before it is first written: a hot
// deal's page or a posted body of tens of megabytes is otherwise faulted in
// 4 KiB at a time, which costs more than the copy itself (more so in a
// virtual machine). Only the whole 2 MiB stretches inside the buffer are
// advised; the allocator keeps owning it, and a refusal changes nothing.
inline void AdviseHugePages(void *data, std::size_t size)
{
    constexpr std::uintptr_t Huge = std::uintptr_t(2) << 20;
    if (!data || size < 2 * Huge)
        return;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + Huge - 1) & ~(Huge - 1);
    const std::uintptr_t last = (start + size) & ~(Huge - 1);
    if (last > first)
        madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
}
