# The same sources give the same programs, byte for byte, wherever and
# whenever they are built: the folders they are built in are named in
# nothing the compiler writes, and the Windows linker writes no time stamp.
# The packages' own times come from SOURCE_DATE_EPOCH (scripts/package.sh,
# scripts/package-windows.sh).

# A prefix map names no folder of this machine: the sources become "." and a
# build folder outside them "build".
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>)
cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${PROJECT_BINARY_DIR}" build_inside_sources)
if(NOT build_inside_sources)
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=build>)
endif()

if(WIN32)
  # A PE file's header holds the link time unless told not to; Windows
  # needs none to load a program, and the version resource tells releases
  # apart.
  add_link_options(-Wl,--no-insert-timestamp)
endif()
