# The doctor and its bundle where players' folders and user names are not
# ASCII: game folders named "Spiele Жизнь" and below profiles such as
# C:\users\李雷\, the doctor started inside the folder (a double-click) and
# given it (a drop onto the program); the bundle made there names no user;
# a bundle that would replace or add a file where it must not changes nothing.
# Under Wine the user's profile and name come from the registry's session
# environment, which Wine puts over the process's: they are set there for
# the test and put back after.
# cmake -DDOCTOR=... [-DEMULATOR=...] -DFIXTURE=<doctor fixture> -DWORK=... -P check_players.cmake
find_program(UNZIP unzip REQUIRED)
file(REMOVE_RECURSE "${WORK}")

set(prefix "")
set(saved_profile "")
set(saved_user "")
if(EMULATOR)
  set(prefix "Z:")
  execute_process(COMMAND ${EMULATOR} reg query "HKCU\\Volatile Environment" OUTPUT_VARIABLE session ERROR_QUIET)
  string(REGEX MATCH "USERPROFILE +REG_SZ +([^\r\n]*)" found "${session}")
  set(saved_profile "${CMAKE_MATCH_1}")
  string(REGEX MATCH "USERNAME +REG_SZ +([^\r\n]*)" found "${session}")
  set(saved_user "${CMAKE_MATCH_1}")
endif()

function(set_user profile user)
  if(EMULATOR)
    foreach(pair "USERPROFILE|${profile}" "USERNAME|${user}")
      string(REPLACE "|" ";" pair "${pair}")
      list(GET pair 0 name)
      list(GET pair 1 value)
      execute_process(COMMAND ${EMULATOR} reg add "HKCU\\Volatile Environment" /v ${name} /d "${value}" /f
                      OUTPUT_QUIET ERROR_QUIET)
    endforeach()
  endif()
endfunction()

function(fail text)
  if(EMULATOR)
    set_user("${saved_profile}" "${saved_user}")
  endif()
  message(FATAL_ERROR "${text}")
endfunction()

# As Windows writes the path: drive Z: under Wine, with backslashes.
function(windows_path path out)
  if(EMULATOR)
    string(REPLACE "/" "\\" path "Z:${path}")
  endif()
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

function(run_doctor where)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env "USERPROFILE=${profile_path}" "USERNAME=${user}"
                          "HOME=${profile}" "USER=${user}" ${EMULATOR} "${DOCTOR}" ${ARGN}
    WORKING_DIRECTORY "${where}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(rc "${rc}" PARENT_SCOPE)
  set(out "${out}${err}" PARENT_SCOPE)
endfunction()

function(expect_in text facts what)
  foreach(fact ${facts})
    string(FIND "${text}" "${fact}" at)
    if(at EQUAL -1)
      fail("${what} does not say \"${fact}\":\n${text}")
    endif()
  endforeach()
endfunction()

# game folder | profile | user name (empty profile: the game is not below a profile of the test)
set(places
  "Spiele Жизнь/Halvorine|users/Gamer|Gamer"
  "users/李雷/Games/Halvorine|users/李雷|李雷"
  "users/Иван Петров/Spiele Жизнь|users/Иван Петров|Иван Петров"
  "users/john.CORP/Games/Halvorine|users/john.CORP|john")
foreach(place ${places})
  string(REPLACE "|" ";" place "${place}")
  list(GET place 0 game_part)
  list(GET place 1 profile_part)
  list(GET place 2 user)
  set(game "${WORK}/${game_part}")
  set(profile "${WORK}/${profile_part}")
  windows_path("${profile}" profile_path)
  windows_path("${game}" game_path)
  set(items "${game}/Data/QVEX/Plugins/Velloquin")
  set(documents "${profile}/Documents")
  file(COPY "${FIXTURE}/" DESTINATION "${game}")
  file(WRITE "${items}/VelloquinItems_1F.txt" "QuickKey15 |000D62|Halvorine.esm\r\n")
  file(WRITE "${items}/VelloquinItems_2A.txt~" "QuickKey12 |000D62|Halvorine.esm\r\n")
  # The log names the game folder, as the plug-in's log does.
  file(WRITE "${documents}/My Games/Halvorine/QVEX/Velloquin.log"
       "[     0.000] Items: player id 0x2A, reading ${game_path}\\Data\\QVEX\\Plugins\\Velloquin\\VelloquinItems_2A.txt\r\n")
  file(MAKE_DIRECTORY "${WORK}/out")
  set_user("${profile_path}" "${user}")

  # Started inside the folder (double-click), and given it (dropped onto the program).
  set(checked
    "Game folder: ${game_path}\n"
    "Velloquin.ini        found"
    "VelloquinCustom.ini  found"
    "12    shown   0x70 F1"
    "21    shown   0x77 F8"
    "  VelloquinItems_1F.txt\n    line 1   slot 15"
    "  VelloquinItems_2A.txt\n    line 1   slot 12"
    "VelloquinItems_2A.txt~ (not an items file: the plug-in never reads it)")
  run_doctor("${game}")
  if(NOT rc EQUAL 1)
    fail("the doctor in ${game}: exit status ${rc}\n${out}")
  endif()
  expect_in("${out}" "${checked}" "the doctor started in ${game}")
  run_doctor("${WORK}/out" "${game_path}")
  if(NOT rc EQUAL 1)
    fail("the doctor given ${game}: exit status ${rc}\n${out}")
  endif()
  expect_in("${out}" "${checked}" "the doctor given ${game}")

  # The bundle: a fresh name in the current folder, no user anywhere in it.
  run_doctor("${WORK}/out" "${game_path}" --bundle --documents "${prefix}${documents}")
  file(GLOB zips "${WORK}/out/*.zip")
  list(LENGTH zips count)
  if(NOT rc EQUAL 0 OR NOT count EQUAL 1)
    fail("--bundle in ${game}: exit status ${rc}, ${count} archives\n${out}")
  endif()
  expect_in("${out}" "Wrote ${prefix}" "--bundle")
  execute_process(COMMAND ${UNZIP} -Z1 "${zips}" OUTPUT_VARIABLE listing)
  expect_in("${listing}" "Data/QVEX/Plugins/Velloquin/VelloquinItems_1F.txt;My Games/Halvorine/QVEX/Velloquin.log"
            "the bundle's entries")
  string(FIND "${listing}" "txt~" backup)
  if(NOT backup EQUAL -1)
    fail("the bundle holds a file the plug-in never reads:\n${listing}")
  endif()
  string(STRIP "${listing}" listing)
  string(REPLACE "\n" ";" entries "${listing}")
  string(TOLOWER "${user}" user_lower)
  foreach(entry ${entries})
    execute_process(COMMAND ${UNZIP} -p "${zips}" "${entry}" OUTPUT_VARIABLE text)
    string(TOLOWER "${text}" text_lower)
    string(FIND "${text_lower}" "${user_lower}" named)
    string(FIND "${text}" "${profile}" work)
    string(FIND "${text}" "${profile_path}" windows)
    if(NOT named EQUAL -1 OR NOT work EQUAL -1 OR NOT windows EQUAL -1)
      fail("${entry} of the bundle made in ${game} names the user ${user}:\n${text}")
    endif()
  endforeach()
  file(REMOVE_RECURSE "${WORK}/unpacked")

  # What the bundle refuses: nothing on disk changes, exit status 3.
  file(SHA256 "${items}/VelloquinItems_2A.txt" items_before)
  file(SHA256 "${zips}" zip_before)
  file(GLOB_RECURSE before LIST_DIRECTORIES true "${WORK}/*")
  windows_path("${zips}" zip_path)
  foreach(target "${items}/VelloquinItems_2A.txt" "${zips}" "${WORK}/out/notes.txt" "${items}/new.zip"
                 "${documents}/My Games/Halvorine/QVEX/new.zip")
    windows_path("${target}" target_path)
    run_doctor("${WORK}/out" --bundle "${target_path}" --documents "${prefix}${documents}" "${game_path}")
    if(NOT rc EQUAL 3)
      fail("--bundle ${target}: exit status ${rc}, expected 3\n${out}")
    endif()
    expect_in("${out}" "No bundle was written." "--bundle ${target}")
  endforeach()
  file(SHA256 "${items}/VelloquinItems_2A.txt" items_after)
  file(SHA256 "${zips}" zip_after)
  file(GLOB_RECURSE after LIST_DIRECTORIES true "${WORK}/*")
  if(NOT items_before STREQUAL items_after OR NOT zip_before STREQUAL zip_after OR NOT before STREQUAL after)
    fail("a refused bundle changed the disk in ${game}")
  endif()
  file(REMOVE_RECURSE "${WORK}/out")
endforeach()
if(EMULATOR)
  set_user("${saved_profile}" "${saved_user}")
endif()
file(REMOVE_RECURSE "${WORK}")
