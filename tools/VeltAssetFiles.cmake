# The files velt-assets writes, in the order AssetSet::FileNames() lists them.
# tools/CMakeLists.txt includes this file and also publishes the list as a cache
# variable; a folder configured before tools/ can include this file directly.
set(VELT_ASSET_FILES
    BITMAP184.bmp BITMAP212.bmp ICON128.bmp
    SAVEU.bmp SAVED.bmp SAVEF.bmp SAVEX.bmp
    ABOUTU.bmp ABOUTD.bmp ABOUTF.bmp ABOUTX.bmp
    OKU.bmp OKD.bmp OKF.bmp OKX.bmp
    CLICK.wav VELT.wav)
