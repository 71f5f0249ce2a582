// The SceneHost that the stand-in host's GB_ functions forward to.
#pragma once

#include "tools/host/SceneHost.h"

// Set by SetSceneHost; null until then.
extern SceneHost* installedSceneHost;
// Answers 1 to everything and keeps nothing.
[[gnu::noinline]] SceneHost& CooperativeSceneHost();

// Runs once per triangle: the installed host is one load, inlined into each
// GB_ function; the guarded static stays out of that path.
inline SceneHost& CurrentSceneHost()
{
    return installedSceneHost != nullptr ? *installedSceneHost : CooperativeSceneHost();
}
