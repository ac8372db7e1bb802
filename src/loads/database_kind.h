#pragma once
// The four databases a current-generation unit keeps in its file system.
enum class DatabaseKind { terrain, obstacle, navigation, overlay };
