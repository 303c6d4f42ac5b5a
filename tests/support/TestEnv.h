// Each test program runs in a temporary home: settings hive, program folder
// and items lists live there, never in the user's real folders.
#pragma once
#include <QString>
#include <functional>

namespace TestEnv {
// The temporary home of this test program.
QString Home();
// A fresh, empty folder below the home for one test.
QString FreshDir(const QString& name);
// Empties the settings hive (both roots).
void ResetHive();
// Serves events until the condition holds or the time is up; the condition's last value.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);
}  // namespace TestEnv
