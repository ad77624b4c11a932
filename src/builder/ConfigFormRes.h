// Resource numbers of the builder window and its About box, shared by their
// templates and code. Plain #defines: the resource compiler reads this file too.
#ifndef VANTA_CONFIG_FORM_RES_H
#define VANTA_CONFIG_FORM_RES_H

#define IDD_VANTACONFIGFORM 300
#define IDD_TAB1 301 /* Images */
#define IDD_TAB2 302 /* Music */
#define IDD_TAB3 303 /* Effects */
#define IDD_TAB4 304 /* Options */
#define IDD_TAB5 305 /* Build */
#define IDD_OPTIONSSHEET1 306 /* Image Options */
#define IDD_OPTIONSSHEET2 307 /* Music Options */
#define IDD_OPTIONSSHEET3 308 /* Effect Options */
#define IDD_OPTIONSSHEET4 309 /* Saver Exit Options */
#define IDD_NOTEBOOKPAGE0 310 /* Build: the saver's name */
#define IDD_NOTEBOOKPAGE1 311 /* Build: its author */
#define IDD_NOTEBOOKPAGE2 312 /* Build: the readme */
#define IDD_NOTEBOOKPAGE3 313 /* Build: the compiler's progress */
#define IDD_ABOUTFORM 320
#define IDR_MAINMENU1 330
#define IDR_ACCELERATORS 331

/* The window */
#define IDC_OUTLOOKBAR 2001
#define IDC_TAB1 2002 /* the pages' windows, IDC_TAB1 + page */
#define IDC_TAB2 2003
#define IDC_TAB3 2004
#define IDC_TAB4 2005
#define IDC_TAB5 2006

/* The button bar at the bottom of the first four pages, the same on each */
#define IDC_BARLINE 2010
#define IDC_NEXTBUTTON 2011    /* picture button "Next (n/5)" */
#define IDC_PREVIEWBUTTON 2012 /* "Preview" in full screen */
#define IDC_OKBUTTON 2013      /* "OK": save and exit */
#define IDC_CANCELBUTTON 2014  /* "Cancel": undo and exit */

/* Images */
#define IDC_IMAGELABEL 2100
#define IDC_IMAGELIST 2101
#define IDC_ADDIMAGES 2102
#define IDC_REMOVEIMAGE 2103
#define IDC_CLEARIMAGES 2104
#define IDC_IMAGEUP 2105
#define IDC_IMAGEDOWN 2106
#define IDC_FSPANEL 2107
#define IDC_FULLSCREEN 2108
#define IDC_PREVIEWB2 2109
#define IDC_IMAGECOUNT 2120
#define IDC_ADDFOLDER 2121
#define IDC_SORTBYNAME 2122
#define IDC_SORTBYDATE 2123

/* Music */
#define IDC_MUSICLABEL 2200
#define IDC_MUSICHINT 2201
#define IDC_MUSICLIST 2202
#define IDC_ADDMUSIC 2203
#define IDC_REMOVEMUSIC 2204
#define IDC_CLEARMUSIC 2205
#define IDC_PLAYMUSIC 2206
#define IDC_STOPMUSIC 2207
#define IDC_MUSICUP 2208
#define IDC_MUSICDOWN 2209

/* Effects */
#define IDC_EFFECTSLABEL 2300
#define IDC_STYLELIST 2301
#define IDC_EXPANDALL 2302
#define IDC_COLLAPSEALL 2303
#define IDC_FSPANEL2 2304
#define IDC_SPEEDLABEL 2305
#define IDC_SPEEDSCROLLBAR 2306
#define IDC_SELECTALL 2307
#define IDC_DISABLEALL 2308

/* Options */
#define IDC_PAGECONTROL2 2400
#define IDC_OPTIONSSHEET1 2401 /* the sub-pages' windows, IDC_OPTIONSSHEET1 + sub-page */
#define IDC_OPTIONSSHEET2 2402
#define IDC_OPTIONSSHEET3 2403
#define IDC_OPTIONSSHEET4 2404
/* "Image Options" */
#define IDC_SIZEGROUP 2410
#define IDC_ORIGINALRADIO 2411
#define IDC_STRETCHRADIO 2412
#define IDC_SEQUENCEGROUP 2413
#define IDC_NORMALIZERADIO 2414
#define IDC_RANDOMIZERADIO 2415
#define IDC_POSITIONGROUP 2416
#define IDC_CAPTIONOFFRADIO 2417 /* the six in the order of their numbers */
#define IDC_BELOWIMAGERADIO 2418
#define IDC_ABOVEIMAGERADIO 2419
#define IDC_BOTTOMSCREENRADIO 2420
#define IDC_TOPSCREENRADIO 2421
#define IDC_FIXEDRADIO 2422
#define IDC_XLABEL 2423
#define IDC_XSPIN 2424
#define IDC_XUPDOWN 2425
#define IDC_YLABEL 2426
#define IDC_YSPIN 2427
#define IDC_YUPDOWN 2428
#define IDC_CONTENTSGROUP 2429
#define IDC_FILENAMECHECK 2430
#define IDC_PATHCHECK 2431
#define IDC_EXTENSIONCHECK 2432
#define IDC_ADDITIONALTEXTCHECK 2433
#define IDC_IMAGECAPTIONEDIT 2434
#define IDC_CAPTIONFONTBUTTON 2435
#define IDC_FONTLABEL 2436
#define IDC_FITRADIO 2438
#define IDC_FILLRADIO 2439
/* "Music Options" */
#define IDC_MUSICGROUP 2440
#define IDC_PLAYMUSICCHECK 2441
#define IDC_RANDOMMUSICCHECK 2442
#define IDC_LOOPMUSICCHECK 2443
/* "Effect Options" */
#define IDC_NORMALGROUP 2450
#define IDC_BACKCOLORLABEL 2451
#define IDC_BACKCOLORCB 2452
#define IDC_INTERVALLABEL 2453
#define IDC_INTERVALEDIT 2454
#define IDC_INTERVALUPDOWN 2455
#define IDC_TRANSITIONGROUP 2456
#define IDC_REVERSECHECK 2457
#define IDC_REVERSELABEL 2458
#define IDC_CLEAROLDCHECK 2459
/* "Saver Exit Options" */
#define IDC_EXITGROUP 2460
#define IDC_MOUSEMOVECHECK 2461
#define IDC_MOUSEPRESSCHECK 2462
#define IDC_KEYBOARDCHECK 2463
/* "Effect Options": several screens */
#define IDC_SCREENSGROUP 2470
#define IDC_SCREENSCOMBO 2471
/* "Effect Options": motion */
#define IDC_MOTIONLABEL 2472
#define IDC_MOTIONCOMBO 2473

/* Build */
#define IDC_NOTEBOOKPAGE0 2500 /* the notebook's pages' windows */
#define IDC_NOTEBOOKPAGE1 2501
#define IDC_NOTE0 2502
#define IDC_NAMEGROUP 2503
#define IDC_NAMELABEL 2504
#define IDC_NAMEEDIT 2505
#define IDC_NOTE1 2506
#define IDC_AUTHORGROUP 2507
#define IDC_AUTHORLABEL 2508
#define IDC_AUTHOREDIT 2509
#define IDC_WEBSITELABEL 2510
#define IDC_WEBSITEEDIT 2511
#define IDC_BACKTOFIRST 2512 /* picture button "Back (5/5)" */
#define IDC_BACKB 2513
#define IDC_NEXTB 2514
#define IDC_BUILDB 2515
#define IDC_NOTEBOOKPAGE2 2516
#define IDC_NOTEBOOKPAGE3 2517
#define IDC_READMEGROUP 2518
#define IDC_READMEMEMO 2519
#define IDC_LOADREADME 2520 /* "Load From File..." */
#define IDC_BUILDINGGROUP 2521
#define IDC_STATUSMEMO 2522
#define IDC_SHRINKGROUP 2530
#define IDC_SHRINKCHECK 2531
#define IDC_SHRINKSIZE 2532
#define IDC_ESTIMATELABEL 2533

/* The main menu */
#define IDM_PREVIEW1 2900
#define IDM_DEFAULTSAVER 2901
#define IDM_EXIT1 2902
#define IDM_UNDOEXIT 2903
#define IDM_LOADPROJECT 2904
#define IDM_SAVEPROJECT 2905
#define IDM_SAVEPROJECTAS 2906
#define IDM_BUILDANDSEND1 2907
#define IDM_HELP2 2908
#define IDM_HOMEPAGE1 2909
#define IDM_EMAIL1 2910
#define IDM_ABOUT1 2911

/* The About box; its button is IDOK */
#define IDC_ABOUTPICTURE 2950
#define IDC_ABOUTTITLE 2951
#define IDC_ABOUTVERSION 2952
#define IDC_ABOUTLINK 2953
#define IDC_ABOUTLINE 2954
#define IDC_ABOUTTEXT 2955

#endif
