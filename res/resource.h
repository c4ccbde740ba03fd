// Resource IDs of LumoraHost.exe, shared by lumorahost.rc and any code that wants them.
#ifndef LUMORA_RES_RESOURCE_H_
#define LUMORA_RES_RESOURCE_H_

// Strings; the program carries them for tools that read the executable, it never loads them.
#define IDS_APP_TITLE 103
#define IDC_LUMORAHOST 109

// Icon groups. The lowest ID is the one Explorer shows for the executable.
#define IDI_LUMORAHOST 109
#define IDI_LUMORAHOST_TEAL 129
#define IDI_LUMORAHOST_INDIGO 131
#define IDI_LUMORAHOST_GREEN 132

#endif  // LUMORA_RES_RESOURCE_H_
