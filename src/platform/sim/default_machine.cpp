#include "platform/sim/default_machine.h"

namespace {

// Kept as JSON rather than built in code so that it is also the worked example
// of the format in docs/simulated-machine.md, and is read by the same parser
// as any other description.
constexpr std::string_view kDefaultMachine = R"json({
  // SetupAPI lists the disks in this order.
  "disks": [
    {
      "devInst": "0x1101", "parent": "0x1100", "diskNumber": 1,
      "friendlyName": "QNV Korvane KR7 USB Device",
      "interfacePath": "\\\\?\\usbstor#disk&ven_qnv&prod_kr7#0001#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}"
    },
    {
      "devInst": "0x1201", "parent": "0x1200", "diskNumber": 2,
      "friendlyName": "QNV KORVANE USB Device",
      "interfacePath": "\\\\?\\usbstor#disk&ven_qnv&prod_korvane#0002#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}"
    },
    {
      // Locked: its volume answers neither the label nor the free-space query.
      "devInst": "0x1301", "parent": "0x1300", "diskNumber": 3,
      "friendlyName": "QN Warden USB Device",
      "interfacePath": "\\\\?\\usbstor#disk&ven_qn&prod_warden#0003#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}"
    },
    {
      // Its USB device does not report DN_REMOVABLE, so it is removed through
      // CM_Query_And_Remove_SubTreeA rather than ejected.
      "devInst": "0x1401", "parent": "0x1400", "parentStatus": "0x000A", "diskNumber": 4,
      "friendlyName": "Generic Flash Disk USB Device",
      "interfacePath": "\\\\?\\usbstor#disk&ven_generic&prod_flash_disk#0004#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}"
    },
    {
      // A USB SSD that speaks UAS: its disk is enumerated by SCSI, as an
      // internal one is, but it hangs from the USB device itself.
      "devInst": "0x1501", "parent": "0x1500", "diskNumber": 5,
      "enumerator": "SCSI", "friendlyName": "Ostrel X5 SCSI Disk Device",
      "parentId": "USB\\VID_FFFF&PID_0A55\\OX5000000042",
      "interfacePath": "\\\\?\\scsi#disk&ven_ostrel&prod_x5#5&1c4d2a7b&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}"
    },
    {
      // The system disk: never listed, and Windows refuses to remove it. Its
      // parent is the SATA controller, a PCI device.
      "devInst": "0x0501", "parent": "0x0500", "parentStatus": "0x000A", "diskNumber": 0,
      "enumerator": "SCSI", "friendlyName": "WDC WD10EZEX-00BN5A0", "eject": "vetoed",
      "interfacePath": "\\\\?\\scsi#disk&ven_wdc&prod_wd10ezex-00bn5a0#4&2f6c1a3b&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}"
    },
    {
      // An internal NVMe disk: SCSI as well, under its PCI controller; never listed.
      "devInst": "0x0601", "parent": "0x0600", "parentStatus": "0x000A", "diskNumber": 6,
      "enumerator": "SCSI", "friendlyName": "NVMe Halvane HN7 512GB", "eject": "vetoed",
      "parentId": "PCI\\VEN_FFFF&DEV_0E21&SUBSYS_0E21FFFF&REV_01\\4&3A1C5D2E&0&00E8",
      "interfacePath": "\\\\?\\scsi#disk&ven_nvme&prod_halvane_hn7_512#5&2b7d1e0f&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}"
    }
  ],
  // The volume search returns them in this order.
  "volumes": [
    {
      "guidPath": "\\\\?\\Volume{0c6d2a4e-0000-0000-0000-100000000000}\\",
      "label": "SYSTEM", "mountPaths": ["C:\\"], "diskNumber": 0,
      "totalBytes": 999531266048, "freeBytes": 412316860416
    },
    {
      "guidPath": "\\\\?\\Volume{0c6d2a4e-0000-0000-0000-600000000000}\\",
      "label": "DATA", "mountPaths": ["D:\\"], "diskNumber": 6,
      "totalBytes": 512110190592, "freeBytes": 201863462912
    },
    {
      "guidPath": "\\\\?\\Volume{7a1f93c2-5e8b-11ee-9c41-806e6f6e6963}\\",
      "label": "KR7", "mountPaths": ["E:\\"], "diskNumber": 1,
      "totalBytes": 15032385536, "freeBytes": 9663676416
    },
    {
      "guidPath": "\\\\?\\Volume{7a1f93c3-5e8b-11ee-9c41-806e6f6e6963}\\",
      "label": "CITADEL", "mountPaths": ["F:\\"], "diskNumber": 2,
      "totalBytes": 1027604480, "freeBytes": 524288000
    },
    {
      "guidPath": "\\\\?\\Volume{7a1f93c4-5e8b-11ee-9c41-806e6f6e6963}\\",
      "label": null, "mountPaths": ["G:\\"], "diskNumber": 3,
      "freeSpaceFails": true,
      // The companion application keeps the drive open while it runs.
      "heldBy": "Warden.exe"
    },
    {
      "guidPath": "\\\\?\\Volume{b3e0d7a9-61c2-11ee-8f0a-00e04c680001}\\",
      "label": "STICK", "mountPaths": ["H:\\"], "diskNumber": 4,
      "totalBytes": 3972844544, "freeBytes": 1288699904
    },
    {
      "guidPath": "\\\\?\\Volume{c41e9a07-7d3b-11ee-a5c2-00e04c680005}\\",
      "label": "BACKUP", "mountPaths": ["I:\\"], "diskNumber": 5,
      "totalBytes": 1000204886016, "freeBytes": 612032839680
    }
  ]
})json";

}  // namespace

std::string_view DefaultMachineJson() {
    return kDefaultMachine;
}

MachineDescription DefaultMachineDescription() {
    return ParseMachineDescription(kDefaultMachine);
}
