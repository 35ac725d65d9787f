// window-system layer (being written)
