#pragma once

class QThread;

// Waits for a thread to end, at most timeoutMs (negative: no limit). On the
// main thread the wait keeps processing events, so a worker that is updating
// the window or asking the member is never blocked by the thread waiting for
// it. True when the thread has ended (or there is none).
bool WaitForThreadEnd(QThread *thread, int timeoutMs);
