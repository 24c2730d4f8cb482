#pragma once

// True while this thread runs the re-login of a request that found its
// session expired (XRequest::SendWithRelogin): that login renews the session
// only, and the request repeats only itself.
bool IsReloginThread();
