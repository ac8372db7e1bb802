#pragma once
// Whether catalogue work may change the disk. The setup page writes its
// settings, dumps and folders and proves the backup writable; the media-set
// checker runs the same steps reading only.
enum class DiskAccess { read_write, read_only };
