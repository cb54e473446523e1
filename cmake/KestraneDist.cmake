# A release build (KESTRANE_DIST): the same code and flags as the tested builds,
# with nothing in the output that depends on where or when it was built, and a
# target, dist_package, that packs this build's part of the release into
# package/: the Windows zip of this architecture (the programs, the README, the
# licence and the list of changes), or the Debian package of kestrane-cli.
# scripts/dist.sh runs the three builds and gathers the parts.

# Paths of the source and build folders become relative in everything compiled.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                    -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)

set(kestrane_package_dir ${PROJECT_BINARY_DIR}/package)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

if(WIN32)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64)$")
    set(kestrane_arch x64)
  else()
    set(kestrane_arch x86)
  endif()
  set(zip ${kestrane_package_dir}/Kestrane-${PROJECT_VERSION}-windows-${kestrane_arch}.zip)
  set(stage ${PROJECT_BINARY_DIR}/dist-stage)
  add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage} ${kestrane_package_dir}
    COMMAND ${CMAKE_STRIP} -o ${stage}/Kestrane.exe $<TARGET_FILE:kestrane_app>
    COMMAND ${CMAKE_STRIP} -o ${stage}/kestrane-cli.exe $<TARGET_FILE:kestrane-cli>
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/dist-zip.py ${zip}
            Kestrane.exe=${stage}/Kestrane.exe kestrane-cli.exe=${stage}/kestrane-cli.exe
            README.txt=${PROJECT_SOURCE_DIR}/README.md LICENSE.txt=${PROJECT_SOURCE_DIR}/LICENSE
            CHANGELOG.txt=${PROJECT_SOURCE_DIR}/CHANGELOG.md
    DEPENDS kestrane_app kestrane-cli ${PROJECT_SOURCE_DIR}/scripts/dist-zip.py
            ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md
    VERBATIM)
  add_custom_target(dist_package DEPENDS ${zip})
else()
  set(deb_stamp ${PROJECT_BINARY_DIR}/dist-deb.stamp)
  set(completions ${PROJECT_BINARY_DIR}/dist-stage/completions)
  add_custom_command(OUTPUT ${deb_stamp}
    COMMAND $<TARGET_FILE:kestrane_completions> ${completions}
    COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/dist-deb.sh ${PROJECT_VERSION} $<TARGET_FILE:kestrane-cli>
            ${PROJECT_SOURCE_DIR}/docs/kestrane-cli.1 ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md
            ${completions} ${kestrane_package_dir}
    COMMAND ${CMAKE_COMMAND} -E touch ${deb_stamp}
    DEPENDS kestrane-cli kestrane_completions ${PROJECT_SOURCE_DIR}/scripts/dist-deb.sh
            ${PROJECT_SOURCE_DIR}/scripts/dist-changelog.py ${PROJECT_SOURCE_DIR}/docs/kestrane-cli.1
            ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md
    VERBATIM)
  add_custom_target(dist_package DEPENDS ${deb_stamp})
endif()
