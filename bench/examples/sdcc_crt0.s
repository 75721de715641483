; Start-up for the SDCC builds: stack at the top of memory, initialised data
; copied, main called, then HALT, as the Pascal start-up does.
	.module crt0
	.globl	_main
	.globl	l__INITIALIZER, s__INITIALIZER, s__INITIALIZED
	.area	_HEADER (ABS)
	.org	0
	di
	ld	sp,#0
	call	gsinit
	call	_main
halted:
	halt
	jr	halted
	.area	_HOME
	.area	_CODE
	.area	_INITIALIZER
	.area	_GSINIT
	.area	_GSFINAL
	.area	_DATA
	.area	_INITIALIZED
	.area	_BSEG
	.area	_BSS
	.area	_HEAP
	.area	_GSINIT
gsinit:
	ld	bc,#l__INITIALIZER
	ld	a,b
	or	a,c
	jr	z,gsinit_done
	ld	de,#s__INITIALIZED
	ld	hl,#s__INITIALIZER
	ldir
gsinit_done:
	.area	_GSFINAL
	ret
