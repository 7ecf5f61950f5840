// A flag set for the life of a scope: the guard against re-entry that controls and windows
// use ("the window changes its own controls", "SetBounds is running").
#pragma once

// Sets a flag for the lifetime of the scope (a guard against re-entry); the old value comes
// back at the end, also when an exception passes, so nested scopes keep the outer one's flag.
class TFlagScope {
 public:
  explicit TFlagScope(bool& flag) : FFlag(flag), FWas(flag) { FFlag = true; }
  ~TFlagScope() { FFlag = FWas; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& FFlag;
  bool FWas;
};
