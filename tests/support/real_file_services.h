#pragma once

// The file services of the system the tests run on.

#ifdef _WIN32
#include "platform/win32/win32_file_services.h"
namespace varnlink::test_support {
using RealFileServices = platform::Win32FileServices;
}
#else
#include "platform/linux/linux_file_services.h"
namespace varnlink::test_support {
using RealFileServices = platform::LinuxFileServices;
}
#endif
