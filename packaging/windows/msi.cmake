# Builds the MSI with wixl from the staged files: run by CMake as
#   cmake -DWIXL=... -DMSIBUILD=... -DFAKETIME=... -DWXS=... -DVERSION=...
#         -DSTAGE=... -DICON=... -DWORK=... -DOUTFILE=... -P msi.cmake
# The same files and version always give the same bytes: wixl writes the
# clock's time into the summary information and the cabinet keeps each
# file's time, so the clock is held at SOURCE_DATE_EPOCH (0 when unset)
# and the files take that time; the package code, which wixl would draw at
# random, is made from the version and the files' contents.
cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} 0)
endif()
string(TIMESTAMP clock "%Y-%m-%d %H:%M:%S" UTC)

# wixl takes only relative source paths: everything it reads is copied
# into WORK, its working folder.
file(REMOVE_RECURSE ${WORK})
get_filename_component(folder ${OUTFILE} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
set(files brenvo1.exe brenvo1-scan.exe LEGGIMI.txt LICENSE.txt THIRD-PARTY-NOTICES.txt)
set(contents "${VERSION}")
foreach(file IN LISTS files)
  file(COPY ${STAGE}/${file} DESTINATION ${WORK}/files)
  file(SHA256 ${STAGE}/${file} sum)
  string(APPEND contents " ${file} ${sum}")
endforeach()
file(COPY ${ICON} DESTINATION ${WORK})
get_filename_component(icon_name ${ICON} NAME)
execute_process(COMMAND touch -d @$ENV{SOURCE_DATE_EPOCH} ${WORK}/files ${WORK}/${icon_name} COMMAND_ERROR_IS_FATAL ANY)
foreach(file IN LISTS files)
  execute_process(COMMAND touch -d @$ENV{SOURCE_DATE_EPOCH} ${WORK}/files/${file} COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# A product code of each version's own, so that a newer MSI replaces an
# older one; the same version always has the same one.
set(namespace 2F1B7C0E-94A3-4D6B-8E25-C3A9170D5F48)
string(UUID product_code NAMESPACE ${namespace} NAME "product ${VERSION}" TYPE SHA1 UPPER)
string(UUID package_code NAMESPACE ${namespace} NAME "package ${contents}" TYPE SHA1 UPPER)

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${FAKETIME} -f "${clock}"
          ${WIXL} -a x64 -D Version=${VERSION} -D Stage=files -D Icon=${icon_name}
          -D ProductCode=${product_code} -o ${OUTFILE}.partial ${WXS}
  WORKING_DIRECTORY ${WORK}
  COMMAND_ERROR_IS_FATAL ANY)
# The summary information's package code, and its language: Italian.
execute_process(
  COMMAND ${MSIBUILD} ${OUTFILE}.partial -s "Brenvo1 (Scandilo) ${VERSION}" "the Brenvo1 authors" "x64;1040"
          "{${package_code}}"
  COMMAND_ERROR_IS_FATAL ANY)
file(RENAME ${OUTFILE}.partial ${OUTFILE})
