# Warnings, the static runtime and the hardened PE flags every target gets.
add_library(korvane_options INTERFACE)
target_compile_options(korvane_options INTERFACE
  -Wall -Wextra -Werror -fstack-protector-strong)
target_compile_definitions(korvane_options INTERFACE
  _WIN32_WINNT=0x0A00 WINVER=0x0A00)
target_include_directories(korvane_options INTERFACE ${PROJECT_SOURCE_DIR}/src)
# -static: with only -static-libgcc/-static-libstdc++ the programs still import
# libwinpthread-1.dll and fail to start on a machine without it.
target_link_options(korvane_options INTERFACE
  -static -fstack-protector-strong -Wl,--dynamicbase -Wl,--nxcompat)
# The stack protector's checks live in libssp, linked statically like the rest.
target_link_libraries(korvane_options INTERFACE ssp)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  target_link_options(korvane_options INTERFACE -Wl,--high-entropy-va)
else()
  # 32-bit programs get ASLR only with a relocation table to apply.
  target_link_options(korvane_options INTERFACE -Wl,--enable-reloc-section)
endif()
