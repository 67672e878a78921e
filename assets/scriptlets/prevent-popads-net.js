function preventPopadsNet(source, args) {
  // PopAds' loaders set up and read the globals PopAds and popns; both now
  // throw a ReferenceError on any read or write, so the loader stops before
  // it can open a pop-under.
  try {
    for (const name of ['PopAds', 'popns']) {
      const abort = () => {
        if (source.verbose) {
          console.log(`${source.name}: aborted a use of ${name}`);
        }
        throw new ReferenceError(`${name} is not defined`);
      };
      Object.defineProperty(window, name, {
        configurable: false,
        enumerable: false,
        get: abort,
        set: abort,
      });
    }
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
