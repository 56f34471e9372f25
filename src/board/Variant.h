#pragma once

// Which driver library a deliverable binds: A, libHBK_CYUSB_USB4.so by its fixed path with a
// board handle; B, libBoardIo.so by name, no handle.
enum class Variant { A, B };
