set(ZEV_LAYERS_pages core pages)
set(ZEV_LAYERS_dialog core pages dialog)
