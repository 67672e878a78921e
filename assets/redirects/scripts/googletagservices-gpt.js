// Stands in for Google Publisher Tag (gpt.js). The googletag API accepts slot
// definitions, targeting and display calls and fetches nothing: functions on
// googletag.cmd run as they would once the library has loaded, and every
// slot a page displays or refreshes is reported through the slotRenderEnded
// event as empty, so page code that waits for it goes on. When the page asked
// for empty slots to collapse, their elements are hidden.
(function() {
    'use strict';
    var noop = function() {};

    // Runs a callback of the page; its error surfaces in a task of its own
    // instead of stopping this script.
    var run = function(callback, self, args) {
        try {
            return callback.apply(self, args || []);
        } catch (error) {
            setTimeout(function() {
                throw error;
            }, 0);
        }
    };

    // Methods that change nothing observable and return their object, so that
    // chained calls (slot.setTargeting(...).addService(...)) keep working.
    var chainable = function(prototype, names) {
        names.forEach(function(name) {
            prototype[name] = function() {
                return this;
            };
        });
    };

    var Slot = function(adUnitPath, sizes, elementId) {
        this.adUnitPath = adUnitPath || '';
        this.sizes = sizes || [];
        this.elementId = elementId || '';
        this.targeting = {};
    };
    chainable(Slot.prototype, [
        'addService', 'clearCategoryExclusions', 'clearTargeting', 'defineSizeMapping', 'set',
        'setCategoryExclusion', 'setClickUrl', 'setCollapseEmptyDiv', 'setConfig',
        'setForceSafeFrame', 'setSafeFrameConfig', 'updateTargetingFromMap',
    ]);
    Slot.prototype.setTargeting = function(key, value) {
        this.targeting[key] = [].concat(value);
        return this;
    };
    Slot.prototype.getTargeting = function(key) {
        return this.targeting[key] || [];
    };
    Slot.prototype.getTargetingKeys = function() {
        return Object.keys(this.targeting);
    };
    Slot.prototype.getAdUnitPath = function() {
        return this.adUnitPath;
    };
    Slot.prototype.getSlotElementId = function() {
        return this.elementId;
    };
    Slot.prototype.getDomId = Slot.prototype.getSlotElementId;
    Slot.prototype.getSizes = function() {
        return this.sizes;
    };
    Slot.prototype.get = function() {
        return null;
    };
    Slot.prototype.getAttributeKeys = function() {
        return [];
    };
    Slot.prototype.getCategoryExclusions = function() {
        return [];
    };
    Slot.prototype.getResponseInformation = function() {
        return null;
    };
    Slot.prototype.getClickUrl = function() {
        return '';
    };
    Slot.prototype.getEscapedQemQueryId = function() {
        return '';
    };
    Slot.prototype.getSlotId = function() {
        var slot = this;
        return {
            getId: function() {
                return slot.adUnitPath + '_0';
            },
            getAdUnitPath: function() {
                return slot.adUnitPath;
            },
            getDomId: function() {
                return slot.elementId;
            },
            getName: function() {
                return slot.adUnitPath;
            },
        };
    };

    var slots = [];
    var listeners = {};
    var collapseEmpty = false;

    var emit = function(type, slot, extra) {
        var event = Object.assign({slot: slot, serviceName: 'publisher_ads'}, extra || {});
        (listeners[type] || []).slice().forEach(function(listener) {
            run(listener, null, [event]);
        });
    };

    // What the library does after requesting a slot that got no ad.
    var renderEmpty = function(slot) {
        setTimeout(function() {
            emit('slotRequested', slot);
            emit('slotResponseReceived', slot);
            emit('slotRenderEnded', slot, {
                isEmpty: true,
                size: null,
                creativeId: null,
                lineItemId: null,
                advertiserId: null,
                campaignId: null,
                sourceAgnosticCreativeId: null,
                sourceAgnosticLineItemId: null,
                isBackfill: false,
                slotContentChanged: false,
                companyIds: null,
                yieldGroupIds: null,
            });
            if (collapseEmpty && window.document) {
                var element = document.getElementById(slot.elementId);
                if (element) {
                    element.style.setProperty('display', 'none', 'important');
                }
            }
        }, 1);
    };

    var slotFor = function(elementOrSlot) {
        if (elementOrSlot instanceof Slot) {
            return elementOrSlot;
        }
        var id = elementOrSlot && elementOrSlot.id !== undefined ? elementOrSlot.id : elementOrSlot;
        return slots.filter(function(slot) {
            return slot.elementId === id;
        })[0];
    };

    var pubads = {};
    chainable(pubads, [
        'clear', 'clearCategoryExclusions', 'clearTagForChildDirectedTreatment', 'clearTargeting',
        'defineOutOfPagePassback', 'definePassback', 'disableInitialLoad', 'enableAsyncRendering',
        'enableLazyLoad', 'enableSingleRequest', 'enableSyncRendering', 'enableVideoAds', 'set',
        'setCategoryExclusion', 'setCentering', 'setCookieOptions', 'setForceSafeFrame',
        'setLocation', 'setPrivacySettings', 'setPublisherProvidedId',
        'setRequestNonPersonalizedAds', 'setSafeFrameConfig', 'setTagForChildDirectedTreatment',
        'setTagForUnderAgeOfConsent', 'setTargeting', 'setVideoContent', 'updateCorrelator',
    ]);
    pubads.addEventListener = function(type, listener) {
        if (typeof listener === 'function') {
            (listeners[type] = listeners[type] || []).push(listener);
        }
        return this;
    };
    pubads.removeEventListener = function(type, listener) {
        listeners[type] = (listeners[type] || []).filter(function(entry) {
            return entry !== listener;
        });
        return true;
    };
    pubads.collapseEmptyDivs = function() {
        collapseEmpty = true;
        return true;
    };
    pubads.display = function(adUnitPath, size, elementId) {
        var slot = new Slot(adUnitPath, size, elementId);
        slots.push(slot);
        renderEmpty(slot);
    };
    pubads.refresh = function(slotsToRefresh) {
        (slotsToRefresh || slots).forEach(renderEmpty);
    };
    pubads.get = function() {
        return null;
    };
    pubads.getAttributeKeys = function() {
        return [];
    };
    pubads.getTargeting = function() {
        return [];
    };
    pubads.getTargetingKeys = function() {
        return [];
    };
    pubads.getSlots = function() {
        return slots.slice();
    };
    pubads.getSlotIdMap = function() {
        return {};
    };
    pubads.isInitialLoadDisabled = function() {
        return false;
    };

    var companionAds = {};
    chainable(companionAds, ['setRefreshUnfilledSlots', 'addEventListener', 'set']);
    var content = {};
    chainable(content, ['setContent', 'addEventListener', 'set']);

    var SizeMappingBuilder = function() {
        this.mapping = [];
    };
    SizeMappingBuilder.prototype.addSize = function(viewport, sizes) {
        this.mapping.push([viewport, sizes]);
        return this;
    };
    SizeMappingBuilder.prototype.build = function() {
        return this.mapping.slice();
    };

    var queued = window.googletag && Array.isArray(window.googletag.cmd)
        ? window.googletag.cmd.slice()
        : [];
    var googletag = window.googletag || {};
    Object.assign(googletag, {
        apiReady: true,
        pubadsReady: true,
        companionAds: function() {
            return companionAds;
        },
        content: function() {
            return content;
        },
        defineOutOfPageSlot: function(adUnitPath, elementIdOrFormat) {
            var slot = new Slot(adUnitPath, [],
                                typeof elementIdOrFormat === 'string' ? elementIdOrFormat : '');
            slots.push(slot);
            return slot;
        },
        defineSlot: function(adUnitPath, size, elementId) {
            var slot = new Slot(adUnitPath, size, elementId);
            slots.push(slot);
            return slot;
        },
        destroySlots: function(slotsToDestroy) {
            var doomed = slotsToDestroy || slots.slice();
            slots = slots.filter(function(slot) {
                return doomed.indexOf(slot) < 0;
            });
            return true;
        },
        disablePublisherConsole: noop,
        display: function(elementOrSlot) {
            var slot = slotFor(elementOrSlot);
            if (slot) {
                renderEmpty(slot);
            }
        },
        enableServices: noop,
        getVersion: function() {
            return '';
        },
        openConsole: noop,
        pubads: function() {
            return pubads;
        },
        setAdIframeTitle: noop,
        setConfig: noop,
        sizeMapping: function() {
            return new SizeMappingBuilder();
        },
        enums: {
            OutOfPageFormat: {
                BOTTOM_ANCHOR: 3,
                GAME_MANUAL_INTERSTITIAL: 7,
                INTERSTITIAL: 5,
                LEFT_SIDE_RAIL: 8,
                REWARDED: 4,
                RIGHT_SIDE_RAIL: 9,
                TOP_ANCHOR: 2,
            },
            TrafficSource: {ORGANIC: 0, PAID: 1},
        },
        secureSignalProviders: [],
    });
    googletag.cmd = {
        push: function() {
            Array.prototype.forEach.call(arguments, function(command) {
                if (typeof command === 'function') {
                    run(command, googletag);
                }
            });
            return 0;
        },
    };
    window.googletag = googletag;
    queued.forEach(function(command) {
        googletag.cmd.push(command);
    });
})();
