# Writes the installer's file lists from the staged install in STAGE: OUTPUT
# .install.nsh with a File line for each file and OUTPUT.uninstall.nsh with
# a Delete line for each, so that the installer holds exactly the zip's
# files. The installer keeps everything in one folder.
#   cmake -DSTAGE=folder -DOUTPUT=prefix -P nsis_file_lists.cmake
file(GLOB names RELATIVE ${STAGE} ${STAGE}/*)
set(install "")
set(uninstall "")
foreach(name IN LISTS names)
  if(IS_DIRECTORY ${STAGE}/${name})
    message(FATAL_ERROR "${STAGE}/${name}: a folder in the staged install; the installer "
                        "takes only files at the top")
  endif()
  string(APPEND install "File \"${STAGE}/${name}\"\n")
  string(APPEND uninstall "Delete \"$INSTDIR\\${name}\"\n")
endforeach()
file(WRITE ${OUTPUT}.install.nsh "${install}")
file(WRITE ${OUTPUT}.uninstall.nsh "${uninstall}")
