# The layers of the code and what each may build on. Every library and program names its layer
# with zev_layer(); zev_check_layers() stops the configuration when a target links a library of a
# layer it may not use, and tests/layers_test.cmake holds the source files' includes to the same
# table.
#
#   core      src/common src/files src/store src/bvh src/analysis src/pz2: the standard library only
#   pages     src/pages: the display panel's pages as drawing lists
#   dialog    src/dialog: the main dialog's decisions, without a window
#   pictures  src/pictures: the pages drawn with Qt Gui, and PNG files of them
#   desktop   src/desktop: the Qt Widgets dialog
#   cli       src/cli: zev-convert
#   web       src/web: the browser page's entry points and the converter for node
#   win32     src/win32: the dialog program for Windows, zev.exe
set(ZEV_LAYERS_core core)
set(ZEV_LAYERS_pages core pages)
set(ZEV_LAYERS_dialog core pages dialog)
set(ZEV_LAYERS_pictures core pages pictures Qt6::Gui)
set(ZEV_LAYERS_desktop core pages dialog pictures desktop Qt6::Gui Qt6::Widgets)
set(ZEV_LAYERS_cli core pages pictures cli Threads::Threads CLI11::CLI11)
set(ZEV_LAYERS_web core pages dialog cli web)
set(ZEV_LAYERS_win32 core pages dialog win32 comctl32 comdlg32 gdi32 shell32)

function(zev_layer target layer)
  if(NOT DEFINED ZEV_LAYERS_${layer})
    message(FATAL_ERROR "zev_layer: ${target} names an unknown layer ${layer}")
  endif()
  set_property(TARGET ${target} PROPERTY ZEV_LAYER ${layer})
  set_property(GLOBAL APPEND PROPERTY ZEV_LAYERED_TARGETS ${target})
endfunction()

function(zev_check_layers)
  get_property(targets GLOBAL PROPERTY ZEV_LAYERED_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(layer ${target} ZEV_LAYER)
    set(links "")
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(linked ${target} ${property})
      if(linked)
        list(APPEND links ${linked})
      endif()
    endforeach()
    foreach(link IN LISTS links)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
      # Generator expressions and the object libraries of a target's own resources are made by
      # the tools, not written as dependencies.
      if(link STREQUAL "zev_config" OR link MATCHES "\\$<" OR link MATCHES "^${target}_")
        continue()
      endif()
      set(linkLayer "${link}")
      if(TARGET ${link})
        get_target_property(named ${link} ZEV_LAYER)
        if(named)
          set(linkLayer ${named})
        endif()
      endif()
      if(NOT linkLayer IN_LIST ZEV_LAYERS_${layer})
        message(FATAL_ERROR "${target} (layer ${layer}) may not link ${link} (${linkLayer})")
      endif()
    endforeach()
  endforeach()
endfunction()
