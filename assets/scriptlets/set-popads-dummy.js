function setPopadsDummy(source, args) {
  // Gives the page PopAds' globals (PopAds, popns) as empty stand-ins that
  // stay in place: sites that refuse to work until the pop-under library is
  // there find it, while the library itself cannot install its own objects.
  try {
    for (const name of ['PopAds', 'popns']) {
      const dummy = {};
      Object.defineProperty(window, name, {
        configurable: false,
        enumerable: true,
        get() {
          return dummy;
        },
        set() {
          if (source.verbose) {
            console.log(`${source.name}: kept ${name} as a dummy`);
          }
        },
      });
    }
    if (source.verbose) {
      console.log(`${source.name}: PopAds and popns are dummies`);
    }
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
