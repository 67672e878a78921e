// The userscript registry the facade holds a slot for: the userscripts the
// browser API serves. The facade only destroys it at shutdown.
#pragma once

class OvUserscriptRegistry {
  public:
    virtual ~OvUserscriptRegistry() = default;
};
