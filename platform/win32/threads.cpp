#include "platform/win32/threads.h"

#include <chrono>
#include <thread>

void Sleep(DWORD ms) {
  if (ms == 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
