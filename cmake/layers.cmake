# The layers of the code and what each may build on. Every library and program names its layer
# with zev_layer(); zev_check_layers() stops the configuration when a target links a library of a
# layer it may not use, and tests/layers_test.cmake includes this file to hold the source files'
# includes to the same table. docs/architecture.md quotes the table; tests/docs checks the quote.
#
# ZEV_LAYER_FOLDERS_<layer>: the folders of src/ that make up the layer.
# ZEV_LAYERS_<layer>: the layers it may use, itself included, then the other libraries it may link.
set(ZEV_LAYER_NAMES core pages dialog pictures desktop cli web win32)
set(ZEV_LAYER_FOLDERS_core common files store bvh analysis pz2)  # the standard library only
set(ZEV_LAYER_FOLDERS_pages pages)        # the display panel's pages as drawing lists
set(ZEV_LAYER_FOLDERS_dialog dialog)      # the main dialog's description and decisions, no window
set(ZEV_LAYER_FOLDERS_pictures pictures)  # the pages drawn with Qt Gui, and PNG files of them
set(ZEV_LAYER_FOLDERS_desktop desktop)    # the Qt Widgets dialog
set(ZEV_LAYER_FOLDERS_cli cli)            # zev-convert, natively, for Windows and for node
set(ZEV_LAYER_FOLDERS_web web)            # the browser page's entry points
set(ZEV_LAYER_FOLDERS_win32 win32)        # the dialog program for Windows, zev.exe
set(ZEV_LAYERS_core core)
set(ZEV_LAYERS_pages core pages)
set(ZEV_LAYERS_dialog core pages dialog)
set(ZEV_LAYERS_pictures core pages pictures Qt6::Gui)
set(ZEV_LAYERS_desktop core pages dialog pictures desktop Qt6::Gui Qt6::Widgets)
set(ZEV_LAYERS_cli core pages pictures cli Threads::Threads CLI11::CLI11 ${CMAKE_DL_LIBS})
set(ZEV_LAYERS_web core pages dialog web)
set(ZEV_LAYERS_win32 core pages dialog win32 comctl32 comdlg32 gdi32 shell32)
# The layers whose every file may include the Windows API's headers; elsewhere only files whose
# names end in _windows.cpp may.
set(ZEV_WINDOWS_LAYERS win32)

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
