# What ships beside the program besides the bank, made from readable sources by the build:
#   $BUILD/app/pic/main.swf        the menu movie, drawn by makemenu from menu/main.menu
#   $BUILD/app/sound/乐曲01.mid …  the background tunes, written by makemidi from sound/tunes.txt
#   $BUILD/app/htm/*.htm           the exam outline as written, and the law compilation made
#                                  from the bank's law texts
add_executable(makemenu ${CMAKE_CURRENT_SOURCE_DIR}/menu/makemenu.cpp)
target_link_options(makemenu PRIVATE -municode)
target_link_libraries(makemenu PRIVATE classlib_standins)
add_executable(makemidi ${CMAKE_CURRENT_SOURCE_DIR}/sound/makemidi.cpp)
target_link_options(makemidi PRIVATE -municode)
target_link_libraries(makemidi PRIVATE classlib_system)

set(program_dir ${CMAKE_BINARY_DIR}/app)
set(wine_run ${CMAKE_COMMAND} -E env WINEDEBUG=-all WINEARCH=win32 WINEPREFIX=${bank_wineprefix}
             ${CMAKE_CROSSCOMPILING_EMULATOR})
add_custom_command(
  OUTPUT ${program_dir}/pic/main.swf
  COMMAND ${CMAKE_COMMAND} -E make_directory ${program_dir}/pic
  COMMAND ${wine_run} $<TARGET_FILE:makemenu> ${CMAKE_CURRENT_SOURCE_DIR}/menu/main.menu
          ${program_dir}/pic/main.swf
  DEPENDS makemenu ${CMAKE_CURRENT_SOURCE_DIR}/menu/main.menu
  COMMENT "Drawing the menu movie"
  VERBATIM)
add_custom_command(
  OUTPUT ${program_dir}/sound/stamp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${program_dir}/sound
  COMMAND ${wine_run} $<TARGET_FILE:makemidi> ${CMAKE_CURRENT_SOURCE_DIR}/sound/tunes.txt ${program_dir}/sound
  COMMAND ${CMAKE_COMMAND} -E touch ${program_dir}/sound/stamp
  DEPENDS makemidi ${CMAKE_CURRENT_SOURCE_DIR}/sound/tunes.txt
  COMMENT "Writing the background tunes"
  VERBATIM)
set(outline_page "${CMAKE_CURRENT_SOURCE_DIR}/htm/考试大纲.htm")
set(law_page "${program_dir}/htm/全国注册资产评估师考试相关法规汇编.htm")
add_custom_command(
  OUTPUT ${program_dir}/htm/stamp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${program_dir}/htm
  COMMAND ${CMAKE_COMMAND} -E copy ${outline_page} ${program_dir}/htm/
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_CURRENT_SOURCE_DIR}/bank/1-laws.txt -DTARGET=${law_page}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/htm/LawCompilation.cmake
  COMMAND ${CMAKE_COMMAND} -E touch ${program_dir}/htm/stamp
  DEPENDS ${outline_page} ${CMAKE_CURRENT_SOURCE_DIR}/bank/1-laws.txt
          ${CMAKE_CURRENT_SOURCE_DIR}/htm/LawCompilation.cmake
  COMMENT "Writing the program's pages"
  VERBATIM)
# The practice window's button pictures (pic/qorb*.bmp), drawn by app/pictures/orbs.py.
find_program(PYTHON3 python3 REQUIRED)
set(orb_script ${CMAKE_SOURCE_DIR}/app/pictures/orbs.py)
add_custom_command(
  OUTPUT ${program_dir}/pic/qorbup.bmp
  COMMAND ${PYTHON3} ${orb_script} ${program_dir}/pic
  DEPENDS ${orb_script}
  COMMENT "Drawing the practice window's buttons"
  VERBATIM)
add_custom_target(program_files ALL
  DEPENDS ${program_dir}/pic/main.swf ${program_dir}/sound/stamp ${program_dir}/htm/stamp
          ${program_dir}/pic/qorbup.bmp)

# The help file xqhelp.chm, compiled from help/ with chmcmd (Debian's fp-utils).
find_program(CHMCMD chmcmd)
find_program(ICONV iconv)
if(CHMCMD AND ICONV)
  file(GLOB help_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/help/*)
  add_custom_command(
    OUTPUT ${program_dir}/xqhelp.chm
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/help/makehelp.sh ${CMAKE_CURRENT_SOURCE_DIR}/help
            ${CMAKE_CURRENT_BINARY_DIR}/help ${program_dir}/xqhelp.chm
    DEPENDS ${help_sources}
    COMMENT "Compiling the help file"
    VERBATIM)
  add_custom_target(program_help ALL DEPENDS ${program_dir}/xqhelp.chm)
  add_dependencies(program_files program_help)
else()
  message(WARNING "chmcmd or iconv is missing (scripts/setup installs them): the help file is not made")
endif()
