#include "NetInit.h"

#include <curl/curl.h>
#include <libxml/parser.h>

#include <mutex>

namespace {
std::once_flag g_once;
}

void NetInit::Ensure()
{
    std::call_once(g_once, [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        xmlInitParser();
    });
}

NetInit::NetInit()
{
    Ensure();
}

// The libraries stay initialised until the process ends: cleaning them up
// while a late worker might still run a request would be worse than the
// few bytes it frees.
NetInit::~NetInit() = default;
