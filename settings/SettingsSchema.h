#pragma once

namespace zeva {

// The settings database's one table, as zeva-settings creates it: a row per key, looked up by the
// key's full name (section and key joined by backslashes), hence the index.
inline constexpr const char* kSettingsSchema =
    "CREATE TABLE IF NOT EXISTS StartUp (Key_Description TEXT, Key_Data TEXT, Description TEXT);"
    "CREATE INDEX IF NOT EXISTS StartUpKey ON StartUp (Key_Description);";

} // namespace zeva
