# The programs are built with the hardening Debian gives its own packages:
# dpkg-buildflags with every hardening feature on (fortified string and
# memory functions, a strong stack protector, format checks, full RELRO
# with immediate binding), so that the package built here is no weaker than
# one from the archive. The build type keeps its own optimisation and debug
# settings; path mapping is left to Reproducible.cmake.
#
# Turned off for the sanitizer and fuzzing builds: AddressSanitizer checks
# every access itself, and _FORTIFY_SOURCE's wrappers would hide accesses
# from it.
if(NOT BRENVO1_HARDENING OR WIN32)
  return()
endif()

find_program(BRENVO1_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT BRENVO1_DPKG_BUILDFLAGS)
  message(FATAL_ERROR "dpkg-buildflags is missing: install Debian's dpkg-dev, "
                      "or configure with -DBRENVO1_HARDENING=OFF for a build without hardening")
endif()

function(brenvo1_debian_flags name out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env
            "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-fixfilepath,-fixdebugpath"
            "DEB_${name}_MAINT_STRIP=-g -O2"
            ${BRENVO1_DPKG_BUILDFLAGS} --get ${name}
    OUTPUT_VARIABLE flags
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-buildflags --get ${name} failed (${status})")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

brenvo1_debian_flags(CPPFLAGS cppflags)
brenvo1_debian_flags(CXXFLAGS cxxflags)
brenvo1_debian_flags(LDFLAGS ldflags)

# Debian 12's dpkg-buildflags predates its stack clash and branch protection
# features (dpkg 1.22), and its compilers turn neither on by default: both
# are added here, as later Debian releases do for every package.
include(CheckCXXCompilerFlag)
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "BRENVO1_HAS${flag}" supported)
  check_cxx_compiler_flag(${flag} ${supported})
  if(${supported})
    list(APPEND cxxflags ${flag})
  endif()
endforeach()

# Position-independent executables, said explicitly rather than left to
# the compiler's default.
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(${cppflags} ${cxxflags})
add_link_options(${ldflags})
message(STATUS "Hardening: ${cppflags} ${cxxflags} ${ldflags}")
