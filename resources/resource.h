/*
 * resource.h: ids of the program's resources.
 */
#ifndef KESTRUM_RESOURCES_RESOURCE_H
#define KESTRUM_RESOURCES_RESOURCE_H

#define IDI_KESTRUM 1

#define IDD_SERVER_PROPERTIES 200
#define IDD_SETTINGS 201
#define IDD_QUICK_CONNECT 202
#define IDD_SEND_SCRIPT 203
#define IDD_HOTKEYS 204
#define IDD_INPUT 205
#define IDD_ATTACH 206
#define IDD_BULK_PASSWORD 207

#endif
