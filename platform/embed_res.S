/* The compiled resource script, linked into the executable as it is. */
    .section .rodata
    .global plat_resources
    .global plat_resources_end
    .balign 16
plat_resources:
    .incbin RES_FILE
plat_resources_end:
    .section .note.GNU-stack,"",@progbits
