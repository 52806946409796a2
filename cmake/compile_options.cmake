# Warnings, the static runtime and the hardened PE flags every target gets.
add_library(korvane_options INTERFACE)
target_compile_options(korvane_options INTERFACE
  -Wall -Wextra -Werror -fstack-protector-strong)
target_compile_definitions(korvane_options INTERFACE
  _WIN32_WINNT=0x0A00 WINVER=0x0A00)
target_include_directories(korvane_options INTERFACE ${PROJECT_SOURCE_DIR}/src)
# -static: with only -static-libgcc/-static-libstdc++ the programs still import
# libwinpthread-1.dll and fail to start on a machine without it.
# --tsaware: otherwise a Remote Desktop session treats the program as a legacy
# one and gives it a Windows folder and registry keys of the user's own.
target_link_options(korvane_options INTERFACE
  -static -fstack-protector-strong -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware)
# The stack protector's checks live in libssp, linked statically like the rest.
target_link_libraries(korvane_options INTERFACE ssp)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  target_link_options(korvane_options INTERFACE -Wl,--high-entropy-va)
else()
  # 32-bit programs get ASLR only with a relocation table to apply.
  target_link_options(korvane_options INTERFACE -Wl,--enable-reloc-section)
endif()

# Reproducible: one commit gives the same bytes in whatever folder it is built.
# No folder names in __FILE__ or the debug information (the build folder is
# mapped after the source folder that may hold it, so it is matched first),
# and no link time in the PE header.
target_compile_options(korvane_options INTERFACE
  $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>
  $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=build/>)
target_link_options(korvane_options INTERFACE -Wl,--no-insert-timestamp)

# Small: the Release build is the one that ships, so it is optimised for size
# (the later -O wins over CMake's -O3), and the linker drops every function and
# datum that nothing reaches, from our code and from the static runtime alike.
target_compile_options(korvane_options INTERFACE
  $<$<AND:$<CONFIG:Release>,$<COMPILE_LANGUAGE:C,CXX>>:-Os>
  $<$<COMPILE_LANGUAGE:C,CXX>:-ffunction-sections>
  $<$<COMPILE_LANGUAGE:C,CXX>:-fdata-sections>)
target_link_options(korvane_options INTERFACE -Wl,--gc-sections)
