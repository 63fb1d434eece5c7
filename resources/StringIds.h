// Ids of the string tables (resources/strings.rc); shared by the code and the resource compiler.
#pragma once

// No table holds a text for this one: the box it is shown in stays empty.
#define IDS_SOCKETS_INIT_FAILED 103
#define IDS_WIZARD_CAPTION 106
#define IDS_NO_VALID_CDROM 107
#define IDS_NO_USB_KEYS 108
#define IDS_KEY_TOO_SMALL 109
#define IDS_EULA_MISSING 110
#define IDS_FORMAT_FAILED 116
#define IDS_COPYING 117
#define IDS_KEY_WILL_BE_CREATED 118
#define IDS_KEY_CREATED 119
#define IDS_KEY_FREE_SPACE_TOO_SMALL 120
#define IDS_NO_MULTIBOOT_SUPPORT 121
#define IDS_KEY_NOT_MULTIBOOT 122
#define IDS_ALREADY_ON_KEY 123
#define IDS_NO_IMAGE_FILENAME 124
#define IDS_IMAGE_READ_ERROR 125
#define IDS_IMAGE_NOT_SUPPORTED 126
#define IDS_IMAGE_DAMAGED 127
#define IDS_IMAGE_ON_KEY 128
#define IDS_FORMATTING 157
#define IDS_MAKING_BOOTABLE 158
#define IDS_ERROR_CAPTION 160
#define IDS_CONFIRM_CLOSE 176
#define IDS_COPY_INTERRUPTED 177
#define IDS_COPY_SUCCEEDED 178
