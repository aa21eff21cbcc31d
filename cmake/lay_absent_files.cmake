# Copies every file under FROM that TO lacks into TO; a file that exists in TO
# (even a dangling link) is the user's and is never touched.
#   cmake -DFROM=dir -DTO=dir -P lay_absent_files.cmake
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${FROM}" "${FROM}/*")
foreach(f IN LISTS files)
  if(NOT EXISTS "${TO}/${f}" AND NOT IS_SYMLINK "${TO}/${f}")
    get_filename_component(dir "${TO}/${f}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    file(COPY_FILE "${FROM}/${f}" "${TO}/${f}")
  endif()
endforeach()
